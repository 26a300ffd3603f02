#include "animation_dialog.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <thread>

#include "wizard_images.hpp"
#include "wizard_boxes.hpp"

animation_dialog::animation_dialog(const wizard_boxes& boxes, const QString& text, QWidget* parent)
    : QDialog(parent), icon_(new QLabel(this)), timer_(new QTimer(this)) {
  setObjectName("101");
  setWindowTitle(boxes.caption("Message"));
  setModal(true);
  auto* layout = new QHBoxLayout(this);
  icon_->setPixmap(wizard_images::animation_frame(0));
  layout->addWidget(icon_);
  auto* label = new QLabel(QString(text).replace("\r\n", "\n"), this);
  label->setObjectName("1320");
  layout->addWidget(label);
  timer_->setInterval(500);
  connect(timer_, &QTimer::timeout, this, &animation_dialog::next_frame);
}

void animation_dialog::next_frame() {
  frame_ = (frame_ + 1) % wizard_images::animation_frames;
  icon_->setPixmap(wizard_images::animation_frame(frame_));
}

void animation_dialog::run(const std::function<void()>& task) {
  std::thread worker([this, &task] {
    task();
    QMetaObject::invokeMethod(this, [this] {
      finished_ = true;
      timer_->stop();
      accept();
    }, Qt::QueuedConnection);
  });
  timer_->start();
  exec();
  worker.join();
}

void animation_dialog::reject() {
  if (finished_) QDialog::reject();
}
