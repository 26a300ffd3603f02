#include "run_progress_board.hpp"

#include "table_tally.hpp"
#include "tk_format.hpp"
#include "tk_printable_name.hpp"

run_progress_board::run_progress_board(clock now)
    : now_(now ? std::move(now) : clock(table_progress::steady_seconds)) {}

void run_progress_board::clear() {
  std::lock_guard lock(mutex_);
  sessions_.reset();
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
  finished_.push_back(sessions_progress::finished_entry(
      tally, ended_records_.empty() ? tk_format("%I64u", tally.inserted) : ended_records_, ended_time_));
  ended_records_.clear();
  ended_time_.clear();
  loading_ = false;
}

// Asked for each session in turn as a run on several sessions starts.
vesper_progress* run_progress_board::session(std::size_t index, std::size_t sessions) {
  std::lock_guard lock(mutex_);
  if (!sessions_ || index == 0) sessions_ = std::make_shared<sessions_progress>(sessions, now_);
  return &sessions_->session(index);
}

std::shared_ptr<sessions_progress> run_progress_board::sessions() const {
  std::lock_guard lock(mutex_);
  return sessions_;
}

std::string run_progress_board::current_line() const {
  if (const std::shared_ptr<sessions_progress> board = sessions()) {
    std::string text;
    for (const std::string& line : board->lines()) text += (text.empty() ? "" : "\n") + line;
    return text;
  }
  const double now = now_();
  std::lock_guard lock(mutex_);
  return loading_ ? table_.line(done_, now, false) : std::string();
}

std::vector<run_progress_board::finished_table> run_progress_board::finished() const {
  if (const std::shared_ptr<sessions_progress> board = sessions()) return board->finished();
  std::lock_guard lock(mutex_);
  return finished_;
}
