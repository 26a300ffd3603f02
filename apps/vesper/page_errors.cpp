#include "page_errors.hpp"

#include "tk_final_exception.hpp"
#include "tk_logger.hpp"
#include "tk_reporter.hpp"
#include "vesper_profile_io.hpp"
#include "wizard_boxes.hpp"

bool guarded(tk_reporter& reporter, const wizard_boxes& boxes, const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const tk_exception& e) {
    reporter.error(e, {}, true);
  } catch (const tk_final_exception&) {
  } catch (const std::exception& e) {
    tk_log(3, "ERROR:\n%s", e.what());
    boxes.error(e.what());
  }
  return false;
}

QString profile_filter() { return "Profile Files (*.vpx);;All Files (*)"; }

void tell_log_file_problem(const wizard_boxes& boxes, const vesper_profile_io& loaded, const std::string& log_file) {
  if (loaded.log_file_problem().empty()) return;
  boxes.error("The profile's log file " + log_file + " cannot be used:\n" + loaded.log_file_problem() +
              "\nThe rest of the profile is loaded; no log is written.");
}
