#include "run_progress_board.hpp"

#include "tk_format.hpp"
#include "tk_printable_name.hpp"
#include "tk_reporter.hpp"

run_progress_board::run_progress_board(const tk_reporter& reporter, clock now)
    : reporter_(reporter), now_(now ? std::move(now) : clock(table_progress::steady_seconds)) {}

void run_progress_board::clear() {
  std::lock_guard lock(mutex_);
  loading_ = false;
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
  std::string status = end == std::string::npos ? line : line.substr(end + 2);
  const std::uint64_t warnings = reporter_.warnings_of(table_.name());
  if (warnings != 0) status += tk_format(", %I64u warning%s", warnings, warnings == 1 ? "" : "s");
  finished_.push_back({table_.name(), tk_format("%I64u of %I64u", done, table_.total()), status});
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
