#include "gui_finish_page.hpp"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "page_errors.hpp"
#include "text_window_dlg.hpp"
#include "tk_logger.hpp"
#include "wizard_shell.hpp"

namespace {
enum control { heading = 1313, outcome = 1314, error_list = 1016, store = 1116, copy = 1108, view_log = 1117 };
}

gui_finish_page::gui_finish_page(vesper_settings& settings, vesper_converter& converter,
                                 const wizard_error_list& run_errors, const bool& nothing_chosen)
    : wizard_page(buttons::finish, no_help), model_(settings, converter, run_errors, nothing_chosen) {
  auto* layout = new QVBoxLayout(this);
  auto* title = numbered(new QLabel("Conversion is Completed"), heading);
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 4);
  title->setFont(bold);
  layout->addWidget(title);
  auto* text = numbered(new QLabel, outcome);
  text->setWordWrap(true);
  layout->addWidget(text);
  // The list is read, selected and copied (into a mail to support, say).
  auto* errors = numbered(new QPlainTextEdit, error_list);
  errors->setReadOnly(true);
  errors->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  errors->hide();
  layout->addWidget(errors, 1);
  auto* buttons = new QHBoxLayout;
  auto* save = numbered(new QPushButton("&Save Settings..."), store);
  connect(save, &QPushButton::clicked, this, &gui_finish_page::on_store);
  buttons->addWidget(save);
  auto* copy_button = numbered(new QPushButton("&Copy"), copy);
  copy_button->setToolTip("Copies the selected text of the list, or all of it when nothing is selected.");
  copy_button->hide();
  connect(copy_button, &QPushButton::clicked, this, &gui_finish_page::on_copy);
  buttons->addWidget(copy_button);
  buttons->addStretch();
  auto* log_button = numbered(new QPushButton("View &Log..."), view_log);
  connect(log_button, &QPushButton::clicked, this, &gui_finish_page::on_view_log);
  buttons->addWidget(log_button);
  layout->addLayout(buttons);
}

void gui_finish_page::page_init() {
  tk_log(2, "gui_finish_page::page_init");
  const finish_model::outcome ended = model_.load();
  control<QLabel>(heading)->setText(QString::fromStdString(ended.heading));
  control<QLabel>(outcome)->setText(QString::fromStdString(ended.text));
  auto* list = control<QPlainTextEdit>(error_list);
  const bool listed = !ended.errors.empty();
  if (listed) list->setPlainText(QString::fromStdString(ended.errors_text()));
  list->setVisible(listed);
  control<QPushButton>(copy)->setVisible(listed);
}

void gui_finish_page::on_copy() {
  auto* list = control<QPlainTextEdit>(error_list);
  QString selected = list->textCursor().selectedText();
  // A selection holds its line breaks as paragraph separators.
  QApplication::clipboard()->setText(selected.isEmpty() ? list->toPlainText()
                                                        : selected.replace(QChar::ParagraphSeparator, '\n'));
}

void gui_finish_page::on_store() {
  const QString filter = profile_filter();
  tk_log(2, "gui_finish_page_t::on_store(%s)", filter.toStdString());
  const QString chosen = QFileDialog::getSaveFileName(this, "Select Profile File", {}, filter);
  if (!chosen.isEmpty()) model_.store_profile(chosen.toStdString(), boxes());
}

void gui_finish_page::on_view_log() {
  const finish_model::log_view log = model_.log();
  if (!log.present) {
    boxes().message(log.text);
    return;
  }
  text_window_dlg window(QString::fromStdString(log.path), QString::fromStdString(log.text), this);
  // The end of the log tells of the run just made.
  window.text_view()->moveCursor(QTextCursor::End);
  window.exec();
}
