// The dialog of an error that costs one item (a record, a table): Continue
// (the default) or Abort, and "Do not show this dialog box again", which
// the error handler turns into its silent switch.
#pragma once

#include <string>

#include "gui_error_dialog.hpp"

class QCheckBox;

class dlg_error_continue : public gui_error_dialog {
  Q_OBJECT

 public:
  enum answer { abort_run = 1, go_on = 2 };
  static constexpr int silence_id = 1222;
  static constexpr const char* silence_text = "&Do not show this dialog box again";

  // `boxes`: those of the wizard, whose caption the dialog takes.
  dlg_error_continue(const wizard_boxes& boxes, const std::string& text, QWidget* parent = nullptr);

  bool do_not_show_again() const;
  void reject() override;

 private:
  QCheckBox* silence_;
};
