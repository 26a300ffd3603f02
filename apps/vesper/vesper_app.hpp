// The wizard program on the screen: the session (settings, converter,
// quick launch, exit status) with the shell and its pages around it. It
// hands the shell to the error handler's presenter for as long as the
// shell lives.
#pragma once

#include <QStringList>
#include <memory>
#include <string>

#include "wizard_boxes.hpp"
#include "wizard_session.hpp"

class error_handler;
class progress_page;
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
  int run_status_code() const { return session_->run_status_code(); }
  // The wizard window; there is none until open() has got that far.
  bool has_shell() const { return shell_ != nullptr; }
  wizard_shell& shell() { return *shell_; }
  vesper_converter& converter() { return session_->converter(); }
  vesper_settings& settings() { return session_->settings(); }

 private:
  void add_pages(bool quick);
  void close_shell();

  error_handler& handler_;
  options options_;
  std::unique_ptr<wizard_session> session_;
  std::unique_ptr<wizard_shell> shell_;
  progress_page* progress_ = nullptr;  // owned by the shell
  wizard_boxes no_window_;  // what is shown before the shell exists
  int exit_code_ = 0;
};
