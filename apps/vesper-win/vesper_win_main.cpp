// The Windows wizard vesper.exe: with no argument it walks the user from the
// Oracle login to the converted tables; with a profile's path it converts at
// once with the profile's settings (quick launch). Its exit status is the
// run's, as the agent's.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>

#include "error_handler.hpp"
#include "ora_error_texts.hpp"
#include "tk_final_exception.hpp"
#include "tk_logger.hpp"
#include "tk_program_start.hpp"
#include "win_wizard_app.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> arguments = tk_program_start(argc, argv);
  if (!arguments.empty()) arguments.erase(arguments.begin());
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_LINK_CLASS | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  // The folder picker is a shell dialog, which wants COM on this thread.
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  tk_logger logger(nullptr, false, 3, false);
  error_handler handler(ora_error_texts::count(), ora_error_texts::table());
  int status = 0;
  try {
    status = win_wizard_app(handler, {}).run(arguments);
  } catch (const tk_final_exception&) {
    status = 255;
  } catch (const tk_exception& e) {
    handler.handle(e, true);
    status = 255;
  } catch (const std::exception& e) {
    tk_log(3, "%s", e.what());
    status = 255;
  }
  ::CoUninitialize();
  return status;
}
