// The finish page's logic: how the run ended, in a heading and a text, the
// run's errors and warnings, and Save Settings, which writes the settings
// and the customisation as a profile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class vesper_converter;
class wizard_error_list;
class wizard_prompts;
struct vesper_settings;

class finish_model {
 public:
  static constexpr const char* success_text =
      "Wizard has migrated your DBF file(s) to\nOracle server successfully.\n\nClick 'Finish' to exit the wizard.";
  static constexpr const char* failure_text =
      "There were some errors while converting the database.\nClick 'Finish' to exit the wizard.";
  static constexpr const char* stopped_text =
      "The conversion was stopped after an error; the tables after it were not converted.\nClick 'Finish' to exit "
      "the wizard.";
  static constexpr const char* nothing_text =
      "No table was chosen, so nothing was converted.\nClick 'Finish' to exit the wizard.";

  struct outcome {
    std::string heading;
    std::string text;
    // The run's errors and warnings; empty: the list is not shown.
    std::vector<std::string> errors;
    // The list as one text, to show, select and copy.
    std::string errors_text() const;
  };

  // `nothing_chosen`: the user went on with no table, and no run was made.
  finish_model(vesper_settings& settings, vesper_converter& converter, const wizard_error_list& errors,
               const bool& nothing_chosen);

  outcome load() const;

  // The run's log file for the log viewer: its text, or why there is none.
  struct log_view {
    bool present = false;  // false: `text` says why there is no log
    std::string path;      // the file shown (UTF-8); empty without a log
    std::string text;
  };
  // At most this much of the log's end is shown; the start is left out.
  static constexpr std::uintmax_t log_shown_bytes = 4 << 20;
  static constexpr const char* no_log_text =
      "This run wrote no log file. A profile's 'logfile=' setting names one; the wizard then writes its trace there.";
  log_view log() const;
  // Writes the profile at `path` (UTF-8; the profiles' extension is added
  // when it has none) and says whether it was written.
  bool store_profile(const std::string& path, const wizard_prompts& prompts) const;
  // A name typed without an extension gets the profiles' one, so that the
  // Load dialog's filter shows the file.
  static std::string with_profile_extension(const std::string& path);

 private:
  vesper_settings& settings_;
  vesper_converter& converter_;
  const wizard_error_list& errors_;
  const bool& nothing_chosen_;
};
