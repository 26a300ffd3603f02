// The continue-or-abort dialog (115) of an error in one table or record:
// "Continue" (the default) or "Abort", and "Do not show this dialog box
// again", which silences the later ones of the run.
#pragma once

#include <string>

#include "win_dialog.hpp"

class win_boxes;

class win_continue_dialog : public win_dialog {
 public:
  win_continue_dialog(const win_boxes& boxes, std::string text);
  // Shows the dialog over `owner`: true when the user chose Abort.
  bool abort_run(HWND owner);
  bool do_not_show_again() const { return do_not_show_again_; }

 private:
  INT_PTR on_message(UINT message, WPARAM wparam, LPARAM lparam) override;

  const win_boxes& boxes_;
  std::string text_;
  bool do_not_show_again_ = false;
};
