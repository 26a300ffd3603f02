#include "wizard_boxes.hpp"

#include <QMessageBox>

#include "tk_logger.hpp"

namespace {

int show_box(QMessageBox::Icon icon, const QString& caption, const std::string& text,
             QMessageBox::StandardButtons buttons, QMessageBox::StandardButton default_button, QWidget* parent) {
  QMessageBox box(icon, caption, QString::fromStdString(text), buttons, parent);
  box.setDefaultButton(default_button);
  return box.exec();
}

}  // namespace

QWidget* wizard_boxes::parent() const { return window_ && window_->isVisible() ? window_ : nullptr; }

bool wizard_boxes::window_shown() const { return window_ && shown_; }

QString wizard_boxes::caption(const char* kind) const {
  return window_shown() ? QString("%1 %2").arg(QString(title_text), kind) : QString(kind);
}

void wizard_boxes::error(const std::string& text) const {
  tk_log(3, "wizard_shell::error(%s)", text);
  show_box(QMessageBox::Critical, caption("Error"), text, QMessageBox::Ok, QMessageBox::Ok, parent());
}

void wizard_boxes::message(const std::string& text) const {
  tk_log(2, "wizard_shell::message(%s)", text);
  show_box(QMessageBox::Information, caption("Message"), text, QMessageBox::Ok, QMessageBox::Ok, parent());
}

bool wizard_boxes::question(const std::string& text, bool no_default) const {
  tk_log(2, "wizard_shell::question(%s)", text);
  return show_box(QMessageBox::Question, caption("Question"), text, QMessageBox::Yes | QMessageBox::No,
                  no_default ? QMessageBox::No : QMessageBox::Yes, parent()) == QMessageBox::Yes;
}
