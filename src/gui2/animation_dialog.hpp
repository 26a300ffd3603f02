// The small "please wait" window shown while a slow step (connecting to
// Oracle) runs on a worker thread: an icon that cycles through its frames
// every 500 ms and a text. The user interface stays responsive, and the
// window closes itself when the step has ended.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QTimer;
class wizard_boxes;

class animation_dialog : public QDialog {
  Q_OBJECT

 public:
  // `boxes`: those of the wizard, whose caption the window takes.
  animation_dialog(const wizard_boxes& boxes, const QString& text, QWidget* parent);

  // Runs `task` on a worker thread while the window shows; returns once the
  // task has ended. `task` must not raise.
  void run(const std::function<void()>& task);

  void reject() override;  // the step cannot be broken off halfway

 private:
  void next_frame();

  QLabel* icon_;
  QTimer* timer_;
  int frame_ = 0;
  bool finished_ = false;
};
