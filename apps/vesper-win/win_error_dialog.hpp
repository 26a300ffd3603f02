// The internal-error dialog (114): the error text, "Send bug" (the
// default), "OK" and "Copy to clipboard". The program ends after it.
#pragma once

#include <string>

#include "win_dialog.hpp"

class win_boxes;

class win_error_dialog : public win_dialog {
 public:
  win_error_dialog(const win_boxes& boxes, std::string text);
  // Shows the dialog over `owner`; the button that closed it.
  INT_PTR show(HWND owner);

 private:
  INT_PTR on_message(UINT message, WPARAM wparam, LPARAM lparam) override;

  const win_boxes& boxes_;
  std::string text_;
};
