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
  shell_.reset();  // the pages first: a running conversion stops
  store_settings();
  converter_.reset();
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
  handler_.set_presenter(std::make_unique<gui_error_presenter>());
  store_ = std::make_unique<vesper_settings_store>(options_.settings_path);
  store_->load(settings_);
  converter_ = std::make_unique<vesper_converter>(handler_);
  converter_->set_silent(true);  // no console: the pages show the progress
  if (!store_->problem().empty()) wizard_shell::error(store_->problem());
  const bool quick = !arguments.isEmpty();
  if (quick) {
    // The whole command line is the profile's path.
    const QString profile = arguments.join(' ');
    tk_log(2, "QUICK LAUNCH: profile=%s", profile.toStdString());
    bool loaded = false;
    if (!guarded(handler_, [&] { loaded = vesper_profile_io(settings_, *converter_).load(profile.toStdString()); })) {
      exit_code_ = failure_exit_code;
      return false;
    }
    // A file that is no profile would run with whatever part of it was read.
    if (!loaded) {
      wizard_shell::error("The file " + profile.toStdString() + " is not a profile saved by the wizard, or it is damaged.");
      exit_code_ = failure_exit_code;
      return false;
    }
  }
  opened_ = true;
  shell_ = std::make_unique<wizard_shell>(options_.help_folder);
  if (quick && !oracle_settings_page::connect_oracle(settings_, *converter_, nullptr)) {
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
  shell_->add_page(new progress_page(settings_, *converter_, nothing_chosen_));
  shell_->add_page(new gui_finish_page(settings_, *converter_));
}

int vesper_app::run(const QStringList& arguments) {
  if (!open(arguments)) return exit_code_;
  shell_->exec();
  return exit_code_;
}
