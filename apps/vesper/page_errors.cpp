#include "page_errors.hpp"

#include "tk_final_exception.hpp"
#include "tk_logger.hpp"
#include "tk_reporter.hpp"
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
