// The Oracle side of the converter: the engine and the connected target
// schema.
#pragma once

#include <memory>
#include <string>

#include "ora_database.hpp"
#include "ora_engine.hpp"

struct vesper_settings;

class oracle_converter_impl {
 public:
  // Loads the Oracle client (a missing one raises the level-1 error).
  oracle_converter_impl();
  virtual ~oracle_converter_impl();

  // Connects to the settings' service as their user (see
  // ora_engine::open_db); replaces a previous target.
  void connect_oracle_server(const vesper_settings& settings);

  // The session with the server, made at the first connection and kept
  // for later ones; declared first so that it outlives the target, whose
  // tables and statements work through it.
  std::unique_ptr<ora_engine> engine;
  std::unique_ptr<ora_database> target;
  std::u16string connected_dest;
};
