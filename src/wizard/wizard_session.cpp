#include "wizard_session.hpp"

#include "error_handler.hpp"
#include "tk_logger.hpp"
#include "vesper_converter.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings_store.hpp"
#include "wizard_guard.hpp"
#include "wizard_prompts.hpp"

wizard_session::wizard_session(error_handler& handler, std::string settings_path)
    : handler_(handler),
      store_(std::make_unique<vesper_settings_store>(std::move(settings_path))),
      converter_(std::make_unique<vesper_converter>(handler)) {}

wizard_session::~wizard_session() = default;

void wizard_session::load_settings(const wizard_prompts& prompts) {
  store_->load(settings_);
  if (!store_->problem().empty()) prompts.error(store_->problem());
}

bool wizard_session::load_quick_profile(const std::string& path, const wizard_prompts& prompts) {
  tk_log(2, "QUICK LAUNCH: profile=%s", path);
  bool loaded = false;
  vesper_profile_io io(settings_, converter_->customisation());
  if (!guarded(handler_, prompts, [&] { loaded = io.load(path); })) return false;
  // A file that is no profile would run with whatever part of it was read.
  if (!loaded) {
    prompts.error("The file " + path + " is not a profile saved by the wizard, or it is damaged.");
    return false;
  }
  // The run goes on without its log.
  tell_log_file_problem(prompts, io, settings_.log_file);
  return true;
}

void wizard_session::store_settings() {
  if (!begun_) return;
  try {
    store_->store(settings_);
  } catch (const std::exception& e) {
    tk_log(3, "The settings could not be stored: %s", e.what());
  }
}

int wizard_session::run_status_code() const {
  const run_result& run = converter_->last_run();
  if (nothing_chosen_ || run.cancelled || run.stopped_table) return failure_exit_code;
  if (run.failed()) return 2;
  return handler_.warning_count() != 0 ? 1 : 0;
}
