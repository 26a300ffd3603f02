// The wizard from start to end, without its window: the stored settings,
// the converter, the quick launch from a profile named on the command line,
// the settings written back at the end, and the exit status a run earns.
// A front end makes the window and its pages around it.
#pragma once

#include <memory>
#include <string>

#include "vesper_settings.hpp"

class error_handler;
class vesper_converter;
class vesper_settings_store;
class wizard_prompts;

class wizard_session {
 public:
  static constexpr int failure_exit_code = 255;  // -1 as the system reports it

  // Errors and warnings go to `handler`, which outlives the session;
  // `settings_path`: the settings file (empty: the user's own).
  wizard_session(error_handler& handler, std::string settings_path);
  ~wizard_session();

  // Reads the stored settings; a store that cannot be used is told, and
  // the defaults are taken.
  void load_settings(const wizard_prompts& prompts);
  // Quick launch: reads the profile at `path` (UTF-8) over the settings.
  // False, with the reason shown, when it is missing, damaged or no
  // profile: there is then nothing to run.
  bool load_quick_profile(const std::string& path, const wizard_prompts& prompts);
  // From here on the settings are written back by store_settings().
  void begin() { begun_ = true; }
  // Writes the settings back once the wizard has used them; a failure is
  // a line in the trace, never the end of the process.
  void store_settings();

  // The status the last run earns, as the agent's: 0 every table whole, 1
  // with warnings, 2 tables or records failed, 255 not all converted (a
  // stop, or no table chosen).
  int run_status_code() const;

  vesper_settings& settings() { return settings_; }
  vesper_converter& converter() { return *converter_; }
  // Set by the tables page when the user goes on with no table.
  bool& nothing_chosen() { return nothing_chosen_; }

 private:
  error_handler& handler_;
  vesper_settings settings_;
  std::unique_ptr<vesper_settings_store> store_;
  std::unique_ptr<vesper_converter> converter_;
  bool nothing_chosen_ = false;
  bool begun_ = false;
};
