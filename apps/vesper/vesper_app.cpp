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
#include "vpx_sel_tables_page.hpp"
#include "welcome_page.hpp"
#include "wizard_shell.hpp"

namespace {
constexpr int failure_exit_code = 255;  // -1 as the system reports it
}

vesper_app::vesper_app(options how) : options_(std::move(how)) {}

vesper_app::~vesper_app() {
  shell_.reset();      // the pages first: a running conversion stops
  converter_.reset();  // then the settings are written back
}

bool vesper_app::open(const QStringList& arguments) {
  if (error_handler* handler = error_handler::find()) handler->set_presenter(std::make_unique<gui_error_presenter>());
  converter_ = std::make_unique<vesper_converter>(options_.settings_path);
  converter_->set_silent(true);  // no console: the pages show the progress
  if (!converter_->settings_problem.empty()) wizard_shell::error(converter_->settings_problem);
  const bool quick = !arguments.isEmpty();
  if (quick) {
    // The whole command line is the profile's path.
    const QString profile = arguments.join(' ');
    tk_log(2, "QUICK LAUNCH: profile=%s", profile.toStdString());
    if (!guarded([&] { converter_->load_profile(profile.toStdString()); })) {
      exit_code_ = failure_exit_code;
      return false;
    }
  }
  // The wizard writes back what it was last told, the profile's settings too.
  converter_->store_on_exit = true;
  shell_ = std::make_unique<wizard_shell>(options_.help_folder);
  if (quick && !oracle_settings_page::connect_oracle(*converter_, nullptr)) {
    exit_code_ = failure_exit_code;
    return false;
  }
  add_pages(quick);
  shell_->show();
  return true;
}

void vesper_app::add_pages(bool quick) {
  if (!quick) {
    shell_->add_page(new welcome_page(*converter_));
    shell_->add_page(new oracle_settings_page(*converter_));
    shell_->add_page(new sel_file_page(*converter_));
    shell_->add_page(new encoding_page(*converter_));
    shell_->add_page(new vpx_sel_tables_page(*converter_, nothing_chosen_));
  }
  shell_->add_page(new progress_page(*converter_, nothing_chosen_));
  shell_->add_page(new gui_finish_page(*converter_));
}

int vesper_app::run(const QStringList& arguments) {
  if (!open(arguments)) return exit_code_;
  shell_->exec();
  return exit_code_;
}
