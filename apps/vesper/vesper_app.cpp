#include "vesper_app.hpp"

#include "encoding_page.hpp"
#include "error_handler.hpp"
#include "gui_error_presenter.hpp"
#include "gui_finish_page.hpp"
#include "oracle_login_model.hpp"
#include "oracle_settings_page.hpp"
#include "progress_page.hpp"
#include "sel_file_page.hpp"
#include "vpx_sel_tables_page.hpp"
#include "welcome_page.hpp"
#include "wizard_shell.hpp"

vesper_app::vesper_app(error_handler& handler, options how) : handler_(handler), options_(std::move(how)) {}

// A run still going stops first, while the shell it reports into is whole;
// the settings are written back after it.
vesper_app::~vesper_app() {
  close_shell();
  if (session_) session_->store_settings();
  session_.reset();
}

// The error handler, which outlives the shell, is given a presenter
// without a window before the shell and its pages go.
void vesper_app::close_shell() {
  if (!shell_) return;
  if (progress_) progress_->stop_run();
  handler_.set_presenter(std::make_unique<gui_error_presenter>(nullptr));
  progress_ = nullptr;
  shell_.reset();
}

bool vesper_app::open(const QStringList& arguments) {
  handler_.set_presenter(std::make_unique<gui_error_presenter>(nullptr));
  session_ = std::make_unique<wizard_session>(handler_, options_.settings_path);
  session_->load_settings(no_window_);
  const bool quick = !arguments.isEmpty();
  // The whole command line is the profile's path.
  if (quick && !session_->load_quick_profile(arguments.join(' ').toStdString(), no_window_)) {
    exit_code_ = wizard_session::failure_exit_code;
    return false;
  }
  session_->begin();
  shell_ = std::make_unique<wizard_shell>(options_.help_folder);
  handler_.set_presenter(std::make_unique<gui_error_presenter>(shell_.get()));
  if (quick && !oracle_login_model::connect(settings(), converter(), shell_->boxes(),
                                            oracle_settings_page::connecting_window(shell_->boxes(), nullptr))) {
    exit_code_ = wizard_session::failure_exit_code;
    return false;
  }
  add_pages(quick);
  shell_->show();
  return true;
}

void vesper_app::add_pages(bool quick) {
  vesper_settings& chosen = settings();
  if (!quick) {
    shell_->add_page(new welcome_page(chosen, converter()));
    shell_->add_page(new oracle_settings_page(chosen, converter()));
    shell_->add_page(new sel_file_page(chosen));
    shell_->add_page(new encoding_page(chosen));
    shell_->add_page(new vpx_sel_tables_page(chosen, converter(), session_->nothing_chosen()));
  }
  progress_ = new progress_page(chosen, converter(), shell_->error_list(), session_->nothing_chosen());
  shell_->add_page(progress_);
  shell_->add_page(new gui_finish_page(chosen, converter(), shell_->error_list(), session_->nothing_chosen()));
}

int vesper_app::run(const QStringList& arguments) {
  if (!open(arguments)) return exit_code_;
  shell_->exec();
  exit_code_ = run_status_code();
  return exit_code_;
}
