// The Oracle login page's logic: the server, port, database name, user and
// password as plain values; Next checks the database name and connects,
// Back keeps what was typed.
#pragma once

#include <functional>
#include <string>

#include "wizard_prompts.hpp"

class vesper_converter;
struct vesper_settings;

class oracle_login_model {
 public:
  static constexpr const char* no_database = "You should enter Oracle database name";
  static constexpr const char* connecting = "Connecting to Oracle server.\r\nPlease wait...";
  static constexpr std::size_t edit_limit = 260;
  static constexpr const char* connection_succeeded = "Connection succeeded";

  using busy_runner = wizard_busy_runner;

  oracle_login_model(vesper_settings& settings, vesper_converter& converter);

  // The fields from the settings, and back into them.
  void load();
  void store() const;
  wizard_notice validate() const;
  // Stores, checks and connects: true moves on; otherwise the user was told why.
  bool next(const wizard_prompts& prompts, const busy_runner& busy);
  void back() const { store(); }
  // Test Connection: connects with the fields (checked as Next checks
  // them) on a connection of its own, through `busy`, shows "Connection
  // succeeded" with the server's version or why it failed, and disconnects.
  // The page stays; the wizard's own connection is left as it was.
  void test_connection(const wizard_prompts& prompts, const busy_runner& busy) const;

  // Connects `converter` with `settings` through `busy`. A failure is shown
  // in `prompts` (a known Oracle error's advice, else Oracle's text).
  static bool connect(const vesper_settings& settings, vesper_converter& converter, const wizard_prompts& prompts,
                      const busy_runner& busy);

  std::u16string host, port, user, password, service;

 private:
  vesper_settings& settings_;
  vesper_converter& converter_;
};
