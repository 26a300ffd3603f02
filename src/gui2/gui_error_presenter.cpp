#include "gui_error_presenter.hpp"

#include <QApplication>
#include <QThread>
#include <functional>

#include "dlg_error_continue.hpp"
#include "dlg_error_ex.hpp"
#include "tk_exception.hpp"
#include "tk_logger.hpp"
#include "wizard_shell.hpp"

namespace {

// Runs `work` on the user-interface thread and waits for it.
void on_gui_thread(const std::function<void()>& work) {
  if (QThread::currentThread() == qApp->thread())
    work();
  else
    QMetaObject::invokeMethod(qApp, work, Qt::BlockingQueuedConnection);
}

}  // namespace

gui_error_presenter::gui_error_presenter(wizard_shell* shell) : shell_(shell) {}

const wizard_boxes& gui_error_presenter::boxes() const { return shell_ ? shell_->boxes() : no_window_; }

void gui_error_presenter::list_for_finish_page(const std::string& text) {
  if (shell_ && shell_->is_initialized()) shell_->add_error(text);
}

bool gui_error_presenter::ask_continue(const std::string& text, bool& silent) const {
  dlg_error_continue dialog(boxes(), text);
  if (dialog.exec() == dlg_error_continue::abort_run) return true;
  silent = dialog.do_not_show_again();
  return false;
}

void gui_error_presenter::show_internal_error(const std::string& what) {
  on_gui_thread([&] { dlg_error_ex(boxes(), what).exec(); });
}

bool gui_error_presenter::show_error(const std::string& text, int level, bool& silent) {
  list_for_finish_page(text);
  if (silent) return false;
  bool abort = false;
  on_gui_thread([&] {
    if (level == tk_exception::item_level) {
      abort = ask_continue(text, silent);
    } else {
      tk_log(1, "Step 1");
      boxes().error(text);
      tk_log(1, "Step 2");
    }
  });
  return abort;
}

void gui_error_presenter::show_warning(const std::string& text, bool) { list_for_finish_page("Warning: " + text); }
