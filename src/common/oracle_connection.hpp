// The connection to Oracle a front end keeps between runs: the engine (the
// client library and its environment, made at the first connection) and
// the connected target schema.
#pragma once

#include <memory>
#include <string>

#include "ora_database.hpp"
#include "ora_engine.hpp"

struct vesper_settings;

class oracle_connection {
 public:
  oracle_connection();
  ~oracle_connection();
  oracle_connection(const oracle_connection&) = delete;
  oracle_connection& operator=(const oracle_connection&) = delete;

  // Connects to the settings' service as their user (see
  // ora_engine::open_db); replaces a previous target. A missing client
  // library raises the level-1 error.
  void connect(const vesper_settings& settings);

  // The connected schema, or null; the engine once a connection was made.
  ora_database* target() const { return target_.get(); }
  ora_engine* engine() const { return engine_.get(); }
  // Replaces the target (the pre-flight report runs against a recording one).
  void use_target(std::unique_ptr<ora_database> target) { target_ = std::move(target); }

 private:
  // Declared first so that it outlives the target, whose tables and
  // statements work through it.
  std::unique_ptr<ora_engine> engine_;
  std::unique_ptr<ora_database> target_;
};
