#include "win_boxes.hpp"

#include "tk_logger.hpp"
#include "win_text.hpp"

std::wstring win_boxes::caption(const char* kind) const {
  const std::string text = window_ ? std::string(title_text) + " " + kind : std::string(kind);
  return win_wide(text);
}

int win_boxes::show(const std::string& text, const char* kind, UINT style) const {
  HWND owner = window_;
  if (owner && !::IsWindowVisible(owner)) owner = nullptr;
  return ::MessageBoxW(owner, win_crlf(win_wide(text)).c_str(), caption(kind).c_str(), style | MB_SETFOREGROUND);
}

void win_boxes::error(const std::string& text) const {
  tk_log(3, "wizard_shell::error(%s)", text);
  show(text, "Error", MB_OK | MB_ICONERROR);
}

void win_boxes::message(const std::string& text) const {
  tk_log(2, "wizard_shell::message(%s)", text);
  show(text, "Message", MB_OK | MB_ICONINFORMATION);
}

bool win_boxes::question(const std::string& text, bool no_default) const {
  tk_log(2, "wizard_shell::question(%s)", text);
  return show(text, "Question", MB_YESNO | MB_ICONQUESTION | (no_default ? MB_DEFBUTTON2 : MB_DEFBUTTON1)) == IDYES;
}
