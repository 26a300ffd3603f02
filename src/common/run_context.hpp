// What a conversion run reports and asks while it goes, handed to it by
// whoever starts it: the agent's console, the wizard and the pre-flight
// report each make their own. Everything is borrowed for the run.
#pragma once

#include <atomic>

class ordered_reporter;
class run_presenter;
class run_status;
class tk_reporter;
class vesper_progress;

struct run_context {
  // Warnings and errors, with their table, record and column.
  tk_reporter& reporter;
  // The run's own lines (tables started, skipped, continued; the summary).
  run_presenter& presenter;
  // Told of each table's records as they go by; null: nobody watches.
  vesper_progress* progress = nullptr;
  // Polled by a front end from another thread; null: nobody polls.
  run_status* status = nullptr;
  // Set from another thread to stop the run cleanly at the next record
  // boundary (batches: at the next batch boundary); null: no stop is asked.
  const std::atomic<bool>* cancel = nullptr;
  // `reporter` itself when it lets the writer tell its news first (the
  // reading's warnings after the refused rows of the batch before them);
  // null: the order may differ when batches run beside the reading.
  ordered_reporter* ordered = nullptr;

  bool cancel_requested() const { return cancel && cancel->load(); }
};
