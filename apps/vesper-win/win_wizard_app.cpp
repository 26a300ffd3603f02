#include "win_wizard_app.hpp"

#include "error_handler.hpp"
#include "oracle_login_model.hpp"
#include "win_connecting_dialog.hpp"
#include "win_encoding_page.hpp"
#include "win_error_presenter.hpp"
#include "win_finish_page.hpp"
#include "win_folder_page.hpp"
#include "win_oracle_page.hpp"
#include "win_progress_page.hpp"
#include "win_tables_page.hpp"
#include "win_welcome_page.hpp"

win_wizard_app::win_wizard_app(error_handler& handler, options how) : handler_(handler), options_(std::move(how)) {}

// A run still going stops first, while the sheet it reports into is whole;
// the settings are written back after it.
win_wizard_app::~win_wizard_app() {
  close_shell();
  if (session_) session_->store_settings();
  session_.reset();
}

void win_wizard_app::close_shell() {
  if (!shell_) return;
  if (progress_) progress_->stop_run();
  handler_.set_presenter(std::make_unique<win_error_presenter>(nullptr, ui_));
  progress_ = nullptr;
  shell_.reset();
}

const wizard_prompts& win_wizard_app::no_window_prompts() const {
  return options_.prompts ? *options_.prompts : no_window_;
}

bool win_wizard_app::open(const std::vector<std::string>& arguments) {
  handler_.set_presenter(std::make_unique<win_error_presenter>(nullptr, ui_));
  session_ = std::make_unique<wizard_session>(handler_, options_.settings_path);
  session_->load_settings(no_window_prompts());
  const bool quick = !arguments.empty();
  std::string profile;
  for (const std::string& argument : arguments) profile += (profile.empty() ? "" : " ") + argument;
  if (quick && !session_->load_quick_profile(profile, no_window_prompts())) {
    exit_code_ = wizard_session::failure_exit_code;
    return false;
  }
  session_->begin();
  shell_ = std::make_unique<win_shell>(options_.prompts, options_.help_folder);
  handler_.set_presenter(std::make_unique<win_error_presenter>(shell_.get(), ui_));
  if (quick && !oracle_login_model::connect(settings(), converter(), shell_->boxes(),
                                            win_connecting_dialog::runner(shell_->own_boxes(), nullptr))) {
    exit_code_ = wizard_session::failure_exit_code;
    return false;
  }
  add_pages(quick);
  return true;
}

void win_wizard_app::add_pages(bool quick) {
  vesper_settings& chosen = settings();
  if (!quick) {
    auto welcome = std::make_unique<win_welcome_page>(chosen, converter());
    welcome_ = welcome.get();
    shell_->add_page(std::move(welcome));
    shell_->add_page(std::make_unique<win_oracle_page>(chosen, converter()));
    shell_->add_page(std::make_unique<win_folder_page>(chosen));
    shell_->add_page(std::make_unique<win_encoding_page>(chosen));
    auto tables = std::make_unique<win_tables_page>(chosen, converter(), session_->nothing_chosen());
    tables_ = tables.get();
    shell_->add_page(std::move(tables));
  }
  auto progress =
      std::make_unique<win_progress_page>(chosen, converter(), shell_->error_list(), session_->nothing_chosen());
  auto finish =
      std::make_unique<win_finish_page>(chosen, converter(), shell_->error_list(), session_->nothing_chosen());
  progress->set_finish_page(*finish);
  progress_ = progress.get();
  finish_ = finish.get();
  shell_->add_page(std::move(progress));
  shell_->add_page(std::move(finish));
}

int win_wizard_app::run(const std::vector<std::string>& arguments) {
  if (!open(arguments)) return exit_code_;
  shell_->run_modal();
  exit_code_ = run_status_code();
  return exit_code_;
}

HWND win_wizard_app::show_modeless() { return shell_->open_modeless(); }
