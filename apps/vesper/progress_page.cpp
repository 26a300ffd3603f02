#include "progress_page.hpp"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "gui_text.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"
#include "wizard_shell.hpp"

namespace {
enum control { table_line = 1323, bar = 1321 };
}

progress_page::progress_page(vesper_settings& settings, vesper_converter& converter, const bool& nothing_chosen)
    : wizard_page(buttons::none, wizard_shell::default_help_topic, "Step 5 of 5", "Database conversion is in progress"),
      settings_(settings), converter_(converter),
      nothing_chosen_(nothing_chosen),
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
  converter_.request_cancel();
  while (!finished_) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  worker_.join();
}

int progress_page::bar_position(std::uint32_t tables, std::uint32_t tables_done, std::uint32_t records,
                                std::uint32_t records_done) {
  if (tables == 0) return 0;
  // 64 bits: a table of over 42 million records would overflow the product.
  const std::uint64_t finished = std::uint64_t(tables_done) * 100 / tables;
  const std::uint64_t current = records == 0 ? 0 : std::uint64_t(records_done) * 100 / records / tables;
  return static_cast<int>(finished + current);
}

void progress_page::page_init() {
  tk_log(2, "progress_page::page_init");
  shell().enable_button(QWizard::BackButton, false);
  shell().enable_button(QWizard::NextButton, false);
  shell().enable_button(QWizard::FinishButton, false);
  control<QProgressBar>(bar)->setValue(0);
  if (running()) return;
  shell().clear_errors();
  converter_.clear_cancel();
  finished_ = false;
  if (nothing_chosen_) {
    tk_log(3, "No table was selected: nothing to convert");
    finished_ = true;
  } else {
    worker_ = std::thread([this] {
      converter_.run(settings_, lines_);
      finished_ = true;
    });
  }
  timer_->start();
}

void progress_page::on_timer() {
  const run_status& status = converter_.status();
  control<QProgressBar>(bar)->setValue(
      bar_position(status.tables_total, status.table_index, status.records_total, status.records_done));
  const std::u16string table = status.current_table();
  control<QLabel>(table_line)->setText(table.empty() ? QString()
                                                     : QString("Processing table '%1'").arg(to_qstring(table)));
  if (finished_) finish_run();
}

void progress_page::finish_run() {
  timer_->stop();
  if (worker_.joinable()) worker_.join();
  if (close_when_done_) {
    // The user leaves the wizard, but must learn what the stop left behind.
    const std::string partial = converter_.last_run().partial_table_note();
    shell().boxes().message("The conversion was cancelled." + (partial.empty() ? std::string() : "\n\n" + partial));
    shell().close_now();
    return;
  }
  shell().next();
}

bool progress_page::on_cancel() {
  if (!running()) return wizard_page::on_cancel();
  if (close_when_done_ || !wizard_page::on_cancel()) return false;
  // The run stops at the next record; the wizard closes when it has.
  tk_log(3, "The user cancelled the conversion");
  close_when_done_ = true;
  converter_.request_cancel();
  shell().enable_button(QWizard::CancelButton, false);
  return false;
}
