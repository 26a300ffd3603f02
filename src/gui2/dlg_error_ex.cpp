#include "dlg_error_ex.hpp"

#include <QClipboard>
#include <QGuiApplication>

#include "tk_logger.hpp"
#include "tk_send_bug.hpp"
#include "wizard_boxes.hpp"

dlg_error_ex::dlg_error_ex(const wizard_boxes& boxes, const std::string& what, QWidget* parent)
    : gui_error_dialog(boxes, QString::fromStdString(what), parent), boxes_(boxes) {
  tk_log(2, "dlg_error_ex::ctor");
  add_button("Send bug", send_bug, true, static_cast<void (gui_error_dialog::*)()>(&dlg_error_ex::on_send_bug));
  add_button("OK", ok, false);
  add_button("Copy to clipboard", copy, false, static_cast<void (gui_error_dialog::*)()>(&dlg_error_ex::on_copy));
}

void dlg_error_ex::copy_to_clipboard(const QString& text) {
  tk_log(2, "tk_copy_to_clipboard2(%s)", text.toStdString());
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return;
  clipboard->setText(text);
  tk_log(1, "OpenClipboard succeeded");
}

void dlg_error_ex::on_copy() { copy_to_clipboard(text()); }

void dlg_error_ex::on_send_bug() {
  const std::string subject = boxes_.window_shown() ? wizard_boxes::title_text : "";
  tk_send_bug(subject, text().toStdString());
}
