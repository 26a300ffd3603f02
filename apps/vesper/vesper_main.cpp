// The graphical wizard `vesper`: with no argument it walks the user from the
// Oracle login to the converted tables; with a profile's path it converts
// at once with the profile's settings (quick launch).
#include <QApplication>
#include <cstdio>

#include "error_handler.hpp"
#include "ora_error_texts.hpp"
#include "tk_final_exception.hpp"
#include "tk_logger.hpp"
#include "vesper_app.hpp"

int main(int argc, char** argv) {
  // Qt sets the C library's locale from the environment: every number text
  // of the program is written and read without it.
  QApplication application(argc, argv);
  tk_logger logger(nullptr, false, 3, false);
  error_handler handler(ora_error_texts::count(), ora_error_texts::table());
  try {
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return vesper_app(handler).run(arguments);
  } catch (const tk_final_exception&) {
    return 255;
  } catch (const tk_exception& e) {
    handler.handle(e, true);
    return 255;
  } catch (const std::exception& e) {
    tk_log(3, "%s", e.what());
    std::fprintf(stderr, "%s\n", e.what());
    return 255;
  }
}
