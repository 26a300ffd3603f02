// The welcome page's logic: Load Settings reads a profile into the settings
// and the customisation.
#pragma once

#include <string>

class vesper_converter;
class wizard_prompts;
struct vesper_settings;

class welcome_model {
 public:
  welcome_model(vesper_settings& settings, vesper_converter& converter);

  // Loads the profile at `path` (UTF-8); an error is reported and shown,
  // and a log file the profile names but that cannot be used is told.
  // False when the profile could not be read.
  bool load_profile(const std::string& path, const wizard_prompts& prompts);

 private:
  vesper_settings& settings_;
  vesper_converter& converter_;
};
