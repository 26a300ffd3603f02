#include "agent_console_presenter.hpp"

void agent_console_presenter::show_internal_error(const std::string& what) {
  progress_->interrupt();
  console_error_presenter::show_internal_error(what);
}

bool agent_console_presenter::show_error(const std::string& text, int level, bool& silent) {
  if (!silent) progress_->interrupt();
  return console_error_presenter::show_error(text, level, silent);
}

void agent_console_presenter::show_warning(const std::string& text, bool silent) {
  if (!silent) progress_->interrupt();
  console_error_presenter::show_warning(text, silent);
}
