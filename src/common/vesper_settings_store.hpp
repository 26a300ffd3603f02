// The per-user store of the settings (a file in the user's configuration
// folder; the registry on Windows): what the wizard leaves for its next
// start and for the agent. It keeps the connection, the folders and the
// options; the tables chosen and the customisation belong to profiles.
#pragma once

#include <string>

#include "vesper_settings.hpp"

class vesper_settings_store {
 public:
  static constexpr const char* key_path = "Software\\Tolvane\\Vesper";

  // `store_path` names the settings file (empty: the per-user default).
  explicit vesper_settings_store(std::string store_path = {}) : store_path_(std::move(store_path)) {}

  // Fills `settings` with the stored values; those not stored take their
  // defaults. False when the store cannot be used or a value was missing.
  bool load(vesper_settings& settings);
  // Writes every stored setting in one replace; false when that fails.
  bool store(const vesper_settings& settings);

  // Why the settings can be neither read nor stored (no folder of the
  // user's own for them), for the front end to report; empty when they can.
  const std::string& problem() const { return problem_; }

 private:
  bool exchange(bool store, vesper_settings& settings);

  std::string store_path_;
  std::string problem_;
  bool opened_ = false;
};
