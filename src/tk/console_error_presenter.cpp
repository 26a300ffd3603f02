#include "console_error_presenter.hpp"

void console_error_presenter::show_internal_error(const std::string& what) {
  std::fprintf(out_, "Internal error: %s\n", what.c_str());
  std::fflush(out_);
}

bool console_error_presenter::show_error(const std::string& text, int, bool& silent) {
  if (!silent) {
    std::fprintf(out_, "Error:\n%s\n", text.c_str());
    std::fflush(out_);
  }
  return false;
}

void console_error_presenter::show_warning(const std::string& text, bool silent) {
  if (silent) return;
  std::fprintf(out_, "Warning:\n%s\n", text.c_str());
  std::fflush(out_);
}
