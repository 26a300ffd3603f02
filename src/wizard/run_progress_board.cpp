#include "run_progress_board.hpp"

#include "table_tally.hpp"
#include "tk_format.hpp"
#include "tk_printable_name.hpp"

run_progress_board::run_progress_board(clock now)
    : now_(now ? std::move(now) : clock(table_progress::steady_seconds)) {}

void run_progress_board::clear() {
  std::lock_guard lock(mutex_);
  loading_ = false;
  ended_records_.clear();
  ended_time_.clear();
  finished_.clear();
}

void run_progress_board::table_started(const std::u16string& name, std::uint64_t total, std::uint64_t done) {
  const double now = now_();
  std::lock_guard lock(mutex_);
  table_.start(tk_printable_name_utf8(name), total, done, now);
  done_ = done;
  loading_ = true;
}

void run_progress_board::advanced(std::uint64_t done) {
  std::lock_guard lock(mutex_);
  done_ = done;
}

// The end's wording and time are the agent's ("done in 0:03").
void run_progress_board::table_ended(std::uint64_t done) {
  const double now = now_();
  std::lock_guard lock(mutex_);
  const std::string line = table_.line(done, now, true);
  const std::size_t end = line.rfind(", ");
  ended_time_ = end == std::string::npos ? line : line.substr(end + 2);
  ended_records_ = tk_format("%I64u of %I64u", done, table_.total());
  loading_ = false;
}

void run_progress_board::table_finished(const table_tally& tally) {
  std::lock_guard lock(mutex_);
  finished_table entry{tk_printable_name_utf8(tally.table),
                       ended_records_.empty() ? tk_format("%I64u", tally.inserted) : ended_records_, ended_time_};
  switch (tally.result) {
    case table_tally::outcome::converted:
      if (entry.status.empty()) entry.status = "done";
      break;
    case table_tally::outcome::failed:
      entry.status = "failed";
      break;
    case table_tally::outcome::skipped:
      entry.status = "skipped";
      break;
    case table_tally::outcome::cancelled:
      entry.status = "cancelled";
      break;
  }
  if (tally.failed != 0) entry.status += tk_format(", %I64u record%s failed", tally.failed, tally.failed == 1 ? "" : "s");
  if (tally.warnings != 0)
    entry.status += tk_format(", %I64u warning%s", tally.warnings, tally.warnings == 1 ? "" : "s");
  finished_.push_back(std::move(entry));
  ended_records_.clear();
  ended_time_.clear();
  loading_ = false;
}

std::string run_progress_board::current_line() const {
  const double now = now_();
  std::lock_guard lock(mutex_);
  return loading_ ? table_.line(done_, now, false) : std::string();
}

std::vector<run_progress_board::finished_table> run_progress_board::finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}
