#include "wizard_guard.hpp"

#include "tk_final_exception.hpp"
#include "tk_logger.hpp"
#include "tk_reporter.hpp"
#include "vesper_profile_io.hpp"
#include "wizard_prompts.hpp"

bool guarded(tk_reporter& reporter, const wizard_prompts& prompts, const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const tk_exception& e) {
    reporter.error(e, {}, true);
  } catch (const tk_final_exception&) {
  } catch (const std::exception& e) {
    tk_log(3, "ERROR:\n%s", e.what());
    prompts.error(e.what());
  }
  return false;
}

void tell_log_file_problem(const wizard_prompts& prompts, const vesper_profile_io& loaded,
                           const std::string& log_file) {
  if (loaded.log_file_problem().empty()) return;
  prompts.error("The profile's log file " + log_file + " cannot be used:\n" + loaded.log_file_problem() +
                "\nThe rest of the profile is loaded; no log is written.");
}
