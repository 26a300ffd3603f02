#include "sessions_progress.hpp"

#include <algorithm>

#include "table_tally.hpp"
#include "tk_format.hpp"
#include "tk_printable_name.hpp"

// One session's view of the board.
class sessions_progress::watcher : public vesper_progress {
 public:
  watcher(sessions_progress& board, std::size_t index) : board_(board), index_(index) {}

  void table_started(const std::u16string& name, std::uint64_t total, std::uint64_t done) override {
    board_.start(index_, tk_printable_name_utf8(name), total, 1, total, done);
  }
  void range_started(const std::u16string& name, std::uint64_t total, std::uint64_t first, std::uint64_t last,
                     std::uint64_t done) override {
    board_.start(index_, tk_printable_name_utf8(name), total, first, last, done);
  }
  void advanced(std::uint64_t done) override { board_.advance(index_, done); }
  void table_ended(std::uint64_t done) override { board_.end(index_, done); }
  void table_finished(const table_tally& tally) override { board_.finish(tally); }
  void run_started(std::uint64_t records) override { board_.sized(records); }

 private:
  sessions_progress& board_;
  std::size_t index_;
};

sessions_progress::sessions_progress(std::size_t sessions, clock now, listener changed)
    : now_(now ? std::move(now) : clock(table_progress::steady_seconds)), changed_(std::move(changed)),
      slots_(sessions) {
  for (std::size_t i = 0; i < sessions; ++i) watchers_.push_back(std::make_unique<watcher>(*this, i));
  started_ = now_();
}

sessions_progress::~sessions_progress() = default;

vesper_progress& sessions_progress::session(std::size_t index) { return *watchers_.at(index); }

sessions_progress::table_state& sessions_progress::table_of(const std::string& name, std::uint64_t total, double now) {
  for (const std::unique_ptr<table_state>& table : tables_)
    if (table->name == name) return *table;
  tables_.push_back(std::make_unique<table_state>(table_state{name, total, 0, now, now}));
  return *tables_.back();
}

// A range's line names its records; `done` counts record numbers from the
// table's first, so the records of the range before it are left out.
void sessions_progress::start(std::size_t index, const std::string& name, std::uint64_t total, std::uint64_t first,
                              std::uint64_t last, std::uint64_t done) {
  const double now = now_();
  std::lock_guard lock(mutex_);
  slot& s = slots_.at(index);
  const bool range = first > 1 || last < total;
  const std::uint64_t before = done >= first ? std::min(done, last) - first + 1 : 0;
  s.active = true;
  s.first = first;
  s.done = before;
  s.table = &table_of(name, total, now);
  s.table->done += before;
  s.line.start(range ? tk_format("%s (records %I64u to %I64u)", name, first, last) : name, last - first + 1, before,
               now);
  done_ += before;
  earlier_ += before;
  if (changed_) changed_(nullptr);
}

void sessions_progress::advance(std::size_t index, std::uint64_t record) {
  std::lock_guard lock(mutex_);
  slot& s = slots_.at(index);
  if (!s.active || record < s.first) return;
  const std::uint64_t done = record - s.first + 1;
  if (done <= s.done) return;
  s.table->done += done - s.done;
  done_ += done - s.done;
  s.done = done;
  if (changed_) changed_(nullptr);
}

void sessions_progress::end(std::size_t index, std::uint64_t record) {
  const double now = now_();
  std::lock_guard lock(mutex_);
  slot& s = slots_.at(index);
  if (!s.active) return;
  const std::uint64_t done = record >= s.first ? record - s.first + 1 : 0;
  if (done > s.done) {
    s.table->done += done - s.done;
    done_ += done - s.done;
    s.done = done;
  }
  s.active = false;
  s.table->ended = std::max(s.table->ended, now);
  const std::string line = s.line.line(s.done, now, true);
  if (changed_) changed_(&line);
}

// The records and time of a table loaded in ranges are those of all its
// ranges: the first start to the last end.
void sessions_progress::finish(const table_tally& tally) {
  std::lock_guard lock(mutex_);
  const std::string name = tk_printable_name_utf8(tally.table);
  std::string records = tk_format("%I64u", tally.inserted);
  std::string time;
  for (const std::unique_ptr<table_state>& table : tables_) {
    if (table->name != name) continue;
    records = tk_format("%I64u of %I64u", table->done, table->total);
    time = (table->done < table->total ? "stopped after " : "done in ") +
           table_progress::minutes(table->ended - table->started);
  }
  finished_.push_back(finished_entry(tally, records, time));
  if (changed_) changed_(nullptr);
}

void sessions_progress::sized(std::uint64_t records) {
  std::lock_guard lock(mutex_);
  records_ = records;
}

sessions_progress::finished_table sessions_progress::finished_entry(const table_tally& tally, std::string records,
                                                                    std::string time) {
  finished_table entry{tk_printable_name_utf8(tally.table), std::move(records), std::move(time)};
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
  return entry;
}

std::vector<std::string> sessions_progress::lines() const {
  const double now = now_();
  std::lock_guard lock(mutex_);
  std::vector<std::string> shown;
  for (const slot& s : slots_)
    if (s.active) shown.push_back(s.line.line(s.done, now, false));
  if (records_ != 0) shown.push_back(totals_locked(now));
  return shown;
}

std::string sessions_progress::totals() const {
  const double now = now_();
  std::lock_guard lock(mutex_);
  return totals_locked(now);
}

std::string sessions_progress::totals_locked(double now) const {
  const std::uint64_t done = std::min(done_, std::max(records_, done_));
  const std::uint64_t percent = records_ == 0 ? 100 : std::min<std::uint64_t>(done * 100 / records_, 100);
  std::string text = tk_format("All tables: %I64u of %I64u records (%I64u%%)", done, records_, percent);
  const double seconds = now - started_;
  const std::uint64_t moved = done_ - earlier_;
  if (seconds <= 0 || moved == 0) return text;
  const double rate = static_cast<double>(moved) / seconds;
  text += tk_format(", %I64u records/s", static_cast<std::uint64_t>(rate + 0.5));
  const double left = done < records_ ? static_cast<double>(records_ - done) / rate : 0.0;
  return text + ", " + table_progress::minutes(left) + " left";
}

std::vector<sessions_progress::finished_table> sessions_progress::finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}
