#include "gui_error_dialog.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "wizard_boxes.hpp"

gui_error_dialog::gui_error_dialog(const wizard_boxes& boxes, const QString& text, QWidget* parent)
    : QDialog(parent ? parent : QApplication::activeWindow()), text_(text) {
  setWindowTitle(boxes.caption("Error"));
  setModal(true);
  auto* outer = new QHBoxLayout(this);
  auto* icon = new QLabel;
  const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(size, size));
  outer->addWidget(icon, 0, Qt::AlignTop);
  body_ = new QVBoxLayout;
  outer->addLayout(body_, 1);
  auto* message = new QLabel(text);
  message->setObjectName(QString::number(text_id));
  message->setWordWrap(true);
  message->setTextInteractionFlags(Qt::TextSelectableByMouse);
  message->setMinimumWidth(360);
  body_->addWidget(message);
  buttons_ = new QHBoxLayout;
  buttons_->addStretch();
  body_->addLayout(buttons_);
}

QPushButton* gui_error_dialog::add_button(const char* label, int id, bool is_default,
                                          void (gui_error_dialog::*action)()) {
  auto* button = new QPushButton(label);
  button->setObjectName(QString::number(id));
  button->setDefault(is_default);
  button->setAutoDefault(is_default);
  if (is_default) button->setFocus();
  connect(button, &QPushButton::clicked, this, [this, id, action] {
    if (action) (this->*action)();
    done(id);
  });
  buttons_->addWidget(button);
  return button;
}

void gui_error_dialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const QWidget* over = parentWidget();
  QRect frame = frameGeometry();
  if (over)
    frame.moveCenter(over->frameGeometry().center());
  else if (QScreen* screen = QGuiApplication::primaryScreen())
    frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
  raise();
  activateWindow();
}
