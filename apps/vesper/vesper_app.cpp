#include "vesper_app.hpp"

#include "encoding_page.hpp"
#include "error_handler.hpp"
#include "gui_error_presenter.hpp"
#include "gui_finish_page.hpp"
#include "oracle_settings_page.hpp"
#include "page_errors.hpp"
#include "progress_page.hpp"
#include "sel_file_page.hpp"
#include "tk_logger.hpp"
#include "vesper_converter.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings_store.hpp"
#include "vpx_sel_tables_page.hpp"
#include "welcome_page.hpp"
#include "wizard_shell.hpp"

namespace {
constexpr int failure_exit_code = 255;  // -1 as the system reports it
}

vesper_app::vesper_app(error_handler& handler, options how) : handler_(handler), options_(std::move(how)) {}

vesper_app::~vesper_app() {
  close_shell();
  store_settings();
  converter_.reset();
}

// A run still going stops first, while the shell it reports into is whole;
// then the error handler, which outlives the shell, is given a presenter
// without a window before the shell and its pages go.
void vesper_app::close_shell() {
  if (!shell_) return;
  if (progress_) progress_->stop_run();
  handler_.set_presenter(std::make_unique<gui_error_presenter>(nullptr));
  progress_ = nullptr;
  shell_.reset();
}

// The wizard writes back what it was last told, the profile's settings too.
// Settings that cannot be stored now are lost with a line in the trace,
// never with the process.
void vesper_app::store_settings() {
  if (!store_ || !opened_) return;
  try {
    store_->store(settings_);
  } catch (const std::exception& e) {
    tk_log(3, "The settings could not be stored: %s", e.what());
  }
}

bool vesper_app::open(const QStringList& arguments) {
  handler_.set_presenter(std::make_unique<gui_error_presenter>(nullptr));
  store_ = std::make_unique<vesper_settings_store>(options_.settings_path);
  store_->load(settings_);
  converter_ = std::make_unique<vesper_converter>(handler_);
  if (!store_->problem().empty()) no_window_.error(store_->problem());
  const bool quick = !arguments.isEmpty();
  if (quick) {
    // The whole command line is the profile's path.
    const QString profile = arguments.join(' ');
    tk_log(2, "QUICK LAUNCH: profile=%s", profile.toStdString());
    bool loaded = false;
    vesper_profile_io io(settings_, converter_->customisation());
    const auto load = [&] { loaded = io.load(profile.toStdString()); };
    if (!guarded(handler_, no_window_, load)) {
      exit_code_ = failure_exit_code;
      return false;
    }
    // A file that is no profile would run with whatever part of it was read.
    if (!loaded) {
      no_window_.error("The file " + profile.toStdString() +
                       " is not a profile saved by the wizard, or it is damaged.");
      exit_code_ = failure_exit_code;
      return false;
    }
    // The run goes on without its log.
    tell_log_file_problem(no_window_, io, settings_.log_file);
  }
  opened_ = true;
  shell_ = std::make_unique<wizard_shell>(options_.help_folder);
  handler_.set_presenter(std::make_unique<gui_error_presenter>(shell_.get()));
  if (quick && !oracle_login_model::connect(settings_, *converter_, shell_->boxes(),
                                             oracle_settings_page::connecting_window(shell_->boxes(), nullptr))) {
    exit_code_ = failure_exit_code;
    return false;
  }
  add_pages(quick);
  shell_->show();
  return true;
}

void vesper_app::add_pages(bool quick) {
  if (!quick) {
    shell_->add_page(new welcome_page(settings_, *converter_));
    shell_->add_page(new oracle_settings_page(settings_, *converter_));
    shell_->add_page(new sel_file_page(settings_));
    shell_->add_page(new encoding_page(settings_));
    shell_->add_page(new vpx_sel_tables_page(settings_, *converter_, nothing_chosen_));
  }
  progress_ = new progress_page(settings_, *converter_, shell_->error_list(), nothing_chosen_);
  shell_->add_page(progress_);
  shell_->add_page(new gui_finish_page(settings_, *converter_, shell_->error_list(), nothing_chosen_));
}

int vesper_app::run(const QStringList& arguments) {
  if (!open(arguments)) return exit_code_;
  shell_->exec();
  exit_code_ = run_status_code();
  return exit_code_;
}

int vesper_app::run_status_code() const {
  const run_result& run = converter_->last_run();
  if (nothing_chosen_ || run.cancelled || run.stopped_table) return failure_exit_code;
  if (run.failed()) return 2;
  return handler_.warning_count() != 0 ? 1 : 0;
}
