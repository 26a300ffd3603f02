// The wizard program from start to end: the converter with the stored
// settings, the quick launch from a profile named on the command line, the
// shell with its pages, and the settings written back when it closes. It
// hands the shell to the error handler's presenter for as long as the
// shell lives.
#pragma once

#include <QStringList>
#include <memory>
#include <string>

#include "vesper_settings.hpp"
#include "wizard_boxes.hpp"

class error_handler;
class progress_page;
class vesper_converter;
class vesper_settings_store;
class wizard_shell;

class vesper_app {
 public:
  struct options {
    std::string settings_path;  // the settings file; empty: the user's own
    QString help_folder;        // the help pages; empty: beside the program
  };

  // Errors and warnings go to `handler`, which outlives the application.
  explicit vesper_app(error_handler& handler, options how = {});
  // Closes the wizard and writes the settings back.
  ~vesper_app();

  // Everything up to the shown wizard. False, with exit_code() set, when
  // there is to be no wizard (a missing profile, a failed quick connection).
  bool open(const QStringList& arguments);
  // Opens, runs the wizard until it closes, and gives the exit status.
  int run(const QStringList& arguments);

  int exit_code() const { return exit_code_; }
  // The status the last run earns, as the agent's: 0 every table whole, 1
  // with warnings, 2 tables or records failed, 255 not all converted (a
  // stop, or no table chosen).
  int run_status_code() const;
  // The wizard window; there is none until open() has got that far.
  bool has_shell() const { return shell_ != nullptr; }
  wizard_shell& shell() { return *shell_; }
  vesper_converter& converter() { return *converter_; }
  vesper_settings& settings() { return settings_; }

 private:
  bool quick_launch(const QString& profile);
  void add_pages(bool quick);
  void store_settings();
  void close_shell();

  error_handler& handler_;
  options options_;
  vesper_settings settings_;
  std::unique_ptr<vesper_settings_store> store_;
  std::unique_ptr<vesper_converter> converter_;
  std::unique_ptr<wizard_shell> shell_;
  progress_page* progress_ = nullptr;  // owned by the shell
  wizard_boxes no_window_;  // what is shown before the shell exists
  bool nothing_chosen_ = false;
  int exit_code_ = 0;
  bool opened_ = false;  // the settings are written back only once they were used
};
