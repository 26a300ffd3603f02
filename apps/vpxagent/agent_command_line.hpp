// The agent's command line: options applied to the settings of a run,
// the table-names file, the usage text and the fatal-message exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class error_handler;
class ora_db_mutator;
struct vesper_settings;

class agent_command_line {
 public:
  // Exit status of the usage text, bad options and run-stopping errors.
  static constexpr int failure_status = 255;

  // Options change `settings`; a profile fills the settings and the
  // customisation.
  // --silent quiets `handler` too.
  agent_command_line(vesper_settings& settings, ora_db_mutator& customisation, error_handler& handler)
      : settings_(settings), customisation_(customisation), handler_(handler) {}

  // Applies every option; false when an argument is no option (the caller
  // prints the usage text). Invalid values end the process. The password is
  // that of --oraclp= (standard input's first line for "-"), else that of
  // VESPER_ORACLE_PASSWORD, else the stored one.
  bool parse_cmd_line(int argc, const char* const* argv);
  // Overwrites the value of every --oraclp= in the process's own arguments,
  // which the process list shows to every user of the machine.
  static void hide_password(int argc, char** argv);
  // Replaces the tables to convert with the names in the file.
  void process_tab_file(const std::string& path);
  // Loads the profile at `path`; a missing or damaged one ends the process.
  void load_profile(const std::string& path);

  static std::string usage_text();
  // The usage text, then the arguments parse_cmd_line did not take (an
  // unknown option, or a valued one given without "=").
  std::string usage_for_mistakes() const;

  // --check (or --report=): a pre-flight report instead of a run.
  bool check_wanted() const { return check_ || !report_file_.empty(); }
  // The file of --report=, ending in .json or .html; empty for none.
  const std::string& report_file() const { return report_file_; }
  bool report_is_json() const { return report_extension(report_file_) == ".json"; }
  // Whether the command line names a server or account to connect to.
  bool connection_given() const { return connection_given_; }
  // --silent: nothing on the console.
  bool is_silent() const { return silent_; }
  // --progress: progress lines on standard error even when it is no terminal.
  bool progress_forced() const { return progress_; }
  // --worker: one worker of a job several agents share.
  bool worker_wanted() const { return worker_; }
  // Logs and (unless silent) prints the message, then ends the process.
  [[noreturn]] void fatal(const std::string& message) const;

 private:
  // The file's extension in lower case.
  static std::string report_extension(const std::string& file);
  void apply(int id, const std::string& value);
  // A count from 1 to `most`; anything else ends the process.
  std::uint32_t count_value(const std::string& value, long most, const char* option) const;
  std::u16string password_from_stdin() const;

  vesper_settings& settings_;
  ora_db_mutator& customisation_;
  error_handler& handler_;
  bool silent_ = false;
  std::u16string host_ = u"localhost";
  std::u16string port_ = u"1521";
  std::u16string user_;
  std::u16string password_;
  bool password_given_ = false;
  bool password_on_command_line_ = false;
  bool profile_loaded_ = false;
  bool check_ = false;
  std::string report_file_;
  bool connection_given_ = false;
  bool progress_ = false;
  bool tns_ = false;
  bool worker_ = false;
  std::vector<std::string> unrecognised_;
};
