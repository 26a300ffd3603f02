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

gui_finish_page::gui_finish_page(vesper_settings& settings, vesper_converter& converter)
    : wizard_page(buttons::finish, no_help), settings_(settings), converter_(converter) {
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
  if (errors.empty()) {
    tk_log(1, "Display success-message");
    control<QLabel>(outcome)->setText(success_text);
    list->hide();
    return;
  }
  tk_log(1, "Display errors");
  control<QLabel>(outcome)->setText(failure_text);
  QStringList texts;
  for (const std::string& text : errors) texts << QString::fromStdString(text);
  list->setPlainText(texts.join("\n\n"));
  list->show();
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
