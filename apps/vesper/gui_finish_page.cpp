#include "gui_finish_page.hpp"

#include <QAbstractButton>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "page_errors.hpp"
#include "tk_logger.hpp"
#include "vesper_converter.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"
#include "wizard_shell.hpp"

namespace {
enum control { heading = 1313, outcome = 1314, error_list = 1016, store = 1116 };
}

gui_finish_page::gui_finish_page(vesper_settings& settings, vesper_converter& converter, const bool& nothing_chosen)
    : wizard_page(buttons::finish, no_help), settings_(settings), converter_(converter), nothing_chosen_(nothing_chosen) {
  auto* layout = new QVBoxLayout(this);
  auto* title = numbered(new QLabel("Conversion is Completed"), heading);
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 4);
  title->setFont(bold);
  layout->addWidget(title);
  layout->addWidget(numbered(new QLabel, outcome));
  auto* errors = numbered(new QPlainTextEdit, error_list);
  errors->setReadOnly(true);
  errors->hide();
  errors->installEventFilter(this);
  layout->addWidget(errors, 1);
  auto* save = numbered(new QPushButton("&Save Settings..."), store);
  connect(save, &QPushButton::clicked, this, &gui_finish_page::on_store);
  layout->addWidget(save, 0, Qt::AlignLeft);
}

void gui_finish_page::page_init() {
  tk_log(2, "gui_finish_page::page_init");
  const std::vector<std::string> errors = shell().errors();
  auto* list = control<QPlainTextEdit>(error_list);
  const run_result& run = converter_.last_run();
  if (nothing_chosen_) {
    show_outcome("Nothing was Converted", nothing_text);
  } else if (errors.empty() && !run.failed() && !run.cancelled) {
    tk_log(1, "Display success-message");
    show_outcome("Conversion is Completed", success_text);
  } else {
    tk_log(1, "Display errors");
    const std::string partial = run.partial_table_note();
    const bool stopped = run.stopped_table.has_value() || run.cancelled;
    show_outcome(stopped ? "Conversion was Stopped" : "Conversion is Completed",
                 std::string(stopped ? stopped_text : failure_text) + (partial.empty() ? "" : "\n\n" + partial));
  }
  if (errors.empty() || nothing_chosen_) {
    list->hide();
    return;
  }
  QStringList texts;
  for (const std::string& text : errors) texts << QString::fromStdString(text);
  list->setPlainText(texts.join("\n\n"));
  list->show();
}

void gui_finish_page::show_outcome(const std::string& heading_text, const std::string& text) {
  control<QLabel>(heading)->setText(QString::fromStdString(heading_text));
  auto* label = control<QLabel>(outcome);
  label->setWordWrap(true);
  label->setText(QString::fromStdString(text));
}

// The list is for reading: focus on it goes on to the Finish button.
bool gui_finish_page::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && watched == control<QPlainTextEdit>(error_list)) {
    QTextCursor cursor = control<QPlainTextEdit>(error_list)->textCursor();
    cursor.clearSelection();
    control<QPlainTextEdit>(error_list)->setTextCursor(cursor);
    if (QAbstractButton* finish = shell().button(QWizard::FinishButton)) finish->setFocus();
  }
  return wizard_page::eventFilter(watched, event);
}

void gui_finish_page::on_store() {
  const QString filter = profile_filter();
  tk_log(2, "gui_finish_page_t::on_store(%s)", filter.toStdString());
  QString path = QFileDialog::getSaveFileName(this, "Select Profile File", {}, filter);
  if (path.isEmpty()) return;
  bool stored = false;
  const auto store = [&] { stored = vesper_profile_io(settings_, converter_.customisation()).store(path.toStdString()); };
  if (guarded(converter_.reporter(), boxes(), store) && !stored)
    boxes().error("Cannot write the profile " + path.toStdString() +
                  ": check that its folder exists and may be written.");
}
