#include "gui_error_presenter.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <functional>

#include "tk_exception.hpp"
#include "tk_logger.hpp"
#include "tk_send_bug.hpp"
#include "wizard_shell.hpp"

namespace {

// Runs `work` on the user-interface thread and waits for it.
void on_gui_thread(const std::function<void()>& work) {
  if (QThread::currentThread() == qApp->thread())
    work();
  else
    QMetaObject::invokeMethod(qApp, work, Qt::BlockingQueuedConnection);
}

void list_for_finish_page(const std::string& text) {
  if (wizard_shell::is_initialized()) wizard_shell::instance().add_error(text);
}

// Continue (the default) or Abort, with the switch that silences later ones.
bool ask_continue(const std::string& text, bool& silent) {
  QMessageBox box(QMessageBox::Warning, wizard_shell::caption("Error"), QString::fromStdString(text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  QPushButton* go_on = box.addButton(gui_error_presenter::continue_text, QMessageBox::AcceptRole);
  QPushButton* stop = box.addButton(gui_error_presenter::abort_text, QMessageBox::RejectRole);
  box.setDefaultButton(go_on);
  box.setEscapeButton(go_on);
  auto* quiet = new QCheckBox(gui_error_presenter::silence_text);
  quiet->setObjectName("1222");
  box.setCheckBox(quiet);
  box.exec();
  if (box.clickedButton() == stop) return true;
  silent = quiet->isChecked();
  return false;
}

}  // namespace

void gui_error_presenter::show_internal_error(const std::string& what) {
  on_gui_thread([&] {
    QMessageBox box(QMessageBox::Critical, wizard_shell::caption("Error"), QString::fromStdString(what),
                    QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* send = box.addButton("Send bug", QMessageBox::ActionRole);
    box.addButton(QMessageBox::Ok);
    QPushButton* copy = box.addButton("Copy to clipboard", QMessageBox::ActionRole);
    box.setDefaultButton(send);
    box.exec();
    if (box.clickedButton() == send)
      tk_send_bug(wizard_shell::is_initialized() ? "Vesper 3.3" : "", what);
    else if (box.clickedButton() == copy)
      QApplication::clipboard()->setText(QString::fromStdString(what));
  });
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
      wizard_shell::error(text);
      tk_log(1, "Step 2");
    }
  });
  return abort;
}

void gui_error_presenter::show_warning(const std::string& text, bool) { list_for_finish_page("Warning: " + text); }
