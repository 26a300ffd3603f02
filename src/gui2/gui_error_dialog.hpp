// What the wizard's two error dialogs share: the caption of the boxes they
// are shown with ("Vesper 3.3 Error", or "Error" before the wizard is shown), an
// icon at the left, the message in control 1320, a row of numbered buttons
// whose number is the dialog's result, and a dialog that opens centred and
// in front of the active window.
#pragma once

#include <QDialog>
#include <QString>

class QHBoxLayout;
class QPushButton;
class QVBoxLayout;
class wizard_boxes;

class gui_error_dialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int text_id = 1320;

  QString text() const { return text_; }

 protected:
  // `boxes`: whose caption the dialog takes; `parent`: the window the
  // dialog is modal over (the active one when null).
  gui_error_dialog(const wizard_boxes& boxes, const QString& text, QWidget* parent);

  // Adds the button `id`, which closes the dialog with the result `id`
  // after `action` (if any) has run.
  QPushButton* add_button(const char* label, int id, bool is_default, void (gui_error_dialog::*action)() = nullptr);
  // Where a dialog puts more than its buttons (a check box).
  QVBoxLayout* body() const { return body_; }

  void showEvent(QShowEvent* event) override;

 private:
  QString text_;
  QVBoxLayout* body_;
  QHBoxLayout* buttons_;
};
