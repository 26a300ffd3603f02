// The Oracle side of the converter: the server settings, the engine and the
// connected target schema.
#pragma once

#include <memory>
#include <string>

#include "ora_database.hpp"
#include "ora_engine.hpp"

class udb_profile;

class oracle_converter_impl {
 public:
  // Loads the Oracle client (a missing one raises the level-1 error).
  oracle_converter_impl();
  virtual ~oracle_converter_impl();

  void store_oracle_settings(const std::u16string& host, const std::u16string& user,
                             const std::u16string& password, const std::u16string& port);
  // Connects to `dest` (see ora_engine::open_db); replaces a previous target.
  void connect_oracle_server(const std::u16string& dest);

  // The server settings in a profile's "Oracle settings" section (the
  // password as typed: a profile file is private to its user).
  void store_profile(udb_profile& profile) const;
  void load_profile(const udb_profile& profile);

  // The session with the server, made at the first connection and kept
  // for later ones; declared first so that it outlives the target, whose
  // tables and statements work through it.
  std::unique_ptr<ora_engine> engine;
  std::unique_ptr<ora_database> target;
  std::u16string connected_dest;
  std::u16string user;
  std::u16string password;
  std::u16string host;
  std::u16string port;
};
