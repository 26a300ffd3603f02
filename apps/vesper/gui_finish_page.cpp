#include "gui_finish_page.hpp"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
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
enum control { heading = 1313, outcome = 1314, error_list = 1016, store = 1116, copy = 1108 };

// A name typed without an extension gets the profiles' one, so that the
// Load dialog's filter shows the file.
QString with_profile_extension(const QString& path) {
  return QFileInfo(path).suffix().isEmpty() ? path + ".vpx" : path;
}
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
  layout->addLayout(buttons);
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
    control<QPushButton>(copy)->hide();
    return;
  }
  QStringList texts;
  for (const std::string& text : errors) texts << QString::fromStdString(text);
  list->setPlainText(texts.join("\n\n"));
  list->show();
  control<QPushButton>(copy)->show();
}

void gui_finish_page::show_outcome(const std::string& heading_text, const std::string& text) {
  control<QLabel>(heading)->setText(QString::fromStdString(heading_text));
  control<QLabel>(outcome)->setText(QString::fromStdString(text));
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
  if (chosen.isEmpty()) return;
  const std::string path = with_profile_extension(chosen).toStdString();
  bool stored = false;
  const auto store = [&] { stored = vesper_profile_io(settings_, converter_.customisation()).store(path); };
  if (!guarded(converter_.reporter(), boxes(), store)) return;
  if (stored)
    boxes().message("The settings were saved in " + path + ".");
  else
    boxes().error("Cannot write the profile " + path + ": check that its folder exists and may be written.");
}
