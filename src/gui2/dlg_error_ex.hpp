// The internal-error dialog: the error text with "Send bug" (the default),
// "OK" and "Copy to clipboard". The program ends after it, whatever the
// answer; its result is the number of the button pressed.
#pragma once

#include <string>

#include "gui_error_dialog.hpp"

class dlg_error_ex : public gui_error_dialog {
  Q_OBJECT

 public:
  enum answer { ok = 1, copy = 1108, send_bug = 1112 };

  // `boxes`: those of the wizard (borrowed), for the caption and whether the
  // report names the program.
  dlg_error_ex(const wizard_boxes& boxes, const std::string& what, QWidget* parent = nullptr);

  // Puts `text` on the clipboard as Unicode text.
  static void copy_to_clipboard(const QString& text);

 private:
  void on_copy();
  void on_send_bug();

  const wizard_boxes& boxes_;
};
