#include "progress_page.hpp"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui_text.hpp"
#include "tk_logger.hpp"
#include "wizard_shell.hpp"

namespace {
enum control { table_line = 1323, bar = 1321, records_line = 1324, done_list = 1325 };
}

progress_page::progress_page(vesper_settings& settings, vesper_converter& converter, wizard_error_list& errors,
                             const bool& nothing_chosen)
    : wizard_page(buttons::none, wizard_shell::default_help_topic, "Step 5 of 5", "Database conversion is in progress"),
      model_(settings, converter, errors, nothing_chosen),
      timer_(new QTimer(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Database conversion is in progress. Please wait until wizard completes\n"
                               "migrating your DBF file(s) to Oracle database."));
  layout->addWidget(numbered(new QLabel, table_line));
  auto* progress = numbered(new QProgressBar, bar);
  progress->setRange(0, 100);
  layout->addWidget(progress);
  layout->addWidget(numbered(new QLabel, records_line));
  auto* done_label = new QLabel("Tables done:");
  layout->addWidget(done_label);
  auto* done = numbered(new QTreeWidget, done_list);
  done->setHeaderLabels({"Table", "Records", "Status"});
  done->setRootIsDecorated(false);
  done->setSelectionMode(QAbstractItemView::NoSelection);
  done->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(done, 1);
  timer_->setInterval(tick_ms);
  connect(timer_, &QTimer::timeout, this, &progress_page::on_timer);
}

progress_page::~progress_page() { stop_run(); }

// The page stays where it is: the timer, which would join the worker and
// move on, is stopped first.
void progress_page::stop_run() {
  if (!running()) return;
  timer_->stop();
  model_.stop([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); });
}

void progress_page::page_init() {
  tk_log(2, "progress_page::page_init");
  shell().enable_button(QWizard::BackButton, false);
  shell().enable_button(QWizard::NextButton, false);
  shell().enable_button(QWizard::FinishButton, false);
  control<QProgressBar>(bar)->setValue(0);
  if (running()) return;
  control<QTreeWidget>(done_list)->clear();
  model_.start();
  timer_->start();
}

void progress_page::on_timer() {
  const run_model::progress now = model_.poll();
  control<QProgressBar>(bar)->setValue(now.bar);
  control<QLabel>(table_line)->setText(now.table.empty() ? QString()
                                                         : QString("Processing table '%1'").arg(to_qstring(now.table)));
  control<QLabel>(records_line)->setText(QString::fromStdString(now.table_line));
  show_tables_done(now.tables_done);
  if (now.finished) finish_run();
}

// Rows are only added: the run never changes a table it has done.
void progress_page::show_tables_done(const std::vector<run_progress_board::finished_table>& tables) {
  auto* list = control<QTreeWidget>(done_list);
  for (std::size_t row = std::size_t(list->topLevelItemCount()); row < tables.size(); ++row) {
    const run_progress_board::finished_table& table = tables[row];
    auto* item = new QTreeWidgetItem({QString::fromStdString(table.name), QString::fromStdString(table.records),
                                      QString::fromStdString(table.status)});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    list->addTopLevelItem(item);
    list->scrollToItem(item);
  }
  for (int column = 0; column < list->columnCount(); ++column) list->resizeColumnToContents(column);
}

void progress_page::finish_run() {
  timer_->stop();
  model_.finish();
  if (model_.stopping()) {
    // The user leaves the wizard, but must learn what the stop left behind.
    shell().boxes().message(model_.stopped_text());
    shell().close_now();
    return;
  }
  shell().next();
}

// The run stops at the next record; the wizard closes when it has.
bool progress_page::on_cancel() {
  const bool close = model_.cancel(boxes());
  if (model_.stopping()) shell().enable_button(QWizard::CancelButton, false);
  return close;
}
