#include "dlg_error_continue.hpp"

#include <QCheckBox>
#include <QVBoxLayout>

#include "tk_logger.hpp"

dlg_error_continue::dlg_error_continue(const wizard_boxes& boxes, const std::string& text, QWidget* parent)
    : gui_error_dialog(boxes, QString::fromStdString(text), parent) {
  tk_log(2, "dlg_error_continue::ctor");
  silence_ = new QCheckBox(silence_text);
  silence_->setObjectName(QString::number(silence_id));
  // Above the buttons, below the message.
  body()->insertWidget(1, silence_);
  add_button("Continue", go_on, true);
  add_button("Abort", abort_run, false);
}

// Escape and the close button answer Continue: only Abort stops a run.
void dlg_error_continue::reject() { done(go_on); }

bool dlg_error_continue::do_not_show_again() const { return silence_->isChecked(); }
