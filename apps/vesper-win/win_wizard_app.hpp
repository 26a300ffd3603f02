// The Windows wizard program: the session (settings in the registry,
// converter, quick launch, exit status) with the property sheet and its
// pages around it. It hands the sheet to the error handler's presenter for
// as long as the sheet lives.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "win_boxes.hpp"
#include "win_shell.hpp"
#include "win_ui_calls.hpp"
#include "wizard_session.hpp"

class error_handler;
class win_finish_page;
class win_progress_page;
class win_tables_page;
class win_welcome_page;

class win_wizard_app {
 public:
  struct options {
    std::string settings_path;          // empty: the user's own registry key
    std::wstring help_folder;           // empty: "help" beside the program
    const wizard_prompts* prompts = nullptr;  // null: message boxes
  };

  win_wizard_app(error_handler& handler, options how);
  // Closes the wizard (a run still going stops first) and writes the settings back.
  ~win_wizard_app();
  win_wizard_app(const win_wizard_app&) = delete;
  win_wizard_app& operator=(const win_wizard_app&) = delete;

  // Everything up to the pages of the sheet; `arguments` empty, or the
  // profile of a quick launch (taken whole). False, with exit_code() set,
  // when there is to be no wizard (a missing profile, a failed connection).
  bool open(const std::vector<std::string>& arguments);
  // Opens, runs the wizard until it closes, and gives the exit status.
  int run(const std::vector<std::string>& arguments);
  // After open(): the sheet shown without waiting (the caller pumps).
  HWND show_modeless();

  int exit_code() const { return exit_code_; }
  // The status the last run earns, as the agent's.
  int run_status_code() const { return session_->run_status_code(); }
  win_shell& shell() { return *shell_; }
  vesper_settings& settings() { return session_->settings(); }
  vesper_converter& converter() { return session_->converter(); }
  win_welcome_page* welcome_page() const { return welcome_; }
  win_tables_page* tables_page() const { return tables_; }
  win_finish_page* finish_page() const { return finish_; }

 private:
  void add_pages(bool quick);
  void close_shell();
  const wizard_prompts& no_window_prompts() const;

  error_handler& handler_;
  options options_;
  win_ui_calls ui_;
  win_boxes no_window_;
  std::unique_ptr<wizard_session> session_;
  std::unique_ptr<win_shell> shell_;
  win_welcome_page* welcome_ = nullptr;    // owned by the shell
  win_tables_page* tables_ = nullptr;      // owned by the shell
  win_progress_page* progress_ = nullptr;  // owned by the shell
  win_finish_page* finish_ = nullptr;      // owned by the shell
  int exit_code_ = 0;
};
