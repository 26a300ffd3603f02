#include "progress_page.hpp"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "gui_text.hpp"
#include "tk_logger.hpp"
#include "wizard_shell.hpp"

namespace {
enum control { table_line = 1323, bar = 1321 };
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
  layout->addStretch();
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
  model_.start();
  timer_->start();
}

void progress_page::on_timer() {
  const run_model::progress now = model_.poll();
  control<QProgressBar>(bar)->setValue(now.bar);
  control<QLabel>(table_line)->setText(now.table.empty() ? QString()
                                                         : QString("Processing table '%1'").arg(to_qstring(now.table)));
  if (now.finished) finish_run();
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
