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

  // Runs a slow step off the user-interface thread while the view shows it
  // is busy, and returns once the step has ended; the step never raises.
  using busy_runner = std::function<void(const std::function<void()>&)>;

  oracle_login_model(vesper_settings& settings, vesper_converter& converter);

  // The fields from the settings, and back into them.
  void load();
  void store() const;
  wizard_notice validate() const;
  // Stores, checks and connects: true moves on; otherwise the user was told why.
  bool next(const wizard_prompts& prompts, const busy_runner& busy);
  void back() const { store(); }

  // Connects `converter` with `settings` through `busy`. A failure is shown
  // in `prompts` (a known Oracle error's advice, else Oracle's text).
  static bool connect(const vesper_settings& settings, vesper_converter& converter, const wizard_prompts& prompts,
                      const busy_runner& busy);

  std::u16string host, port, user, password, service;

 private:
  vesper_settings& settings_;
  vesper_converter& converter_;
};
