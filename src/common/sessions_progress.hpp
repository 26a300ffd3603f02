// The progress of a run on several sessions, told from their threads: the
// line of each session's table (or range of a table), the totals of the
// run (records done of all, records/s, time left) and the tables done. The
// agent's console and the wizard's progress page both read it here.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "table_progress.hpp"
#include "vesper_progress.hpp"

struct table_tally;

class sessions_progress {
 public:
  struct finished_table {
    std::string name;     // printable
    std::string records;  // "DONE of TOTAL" ("0" when none was loaded)
    // "done in M:SS", "stopped after M:SS", "failed", "skipped" or
    // "cancelled", then the records that failed and the warnings.
    std::string status;
  };
  using clock = std::function<double()>;
  // Called after every change, under the board's lock (so one at a time),
  // with the line of a table or range that just ended, else null.
  using listener = std::function<void(const std::string* ended)>;

  sessions_progress(std::size_t sessions, clock now, listener changed = {});
  ~sessions_progress();
  sessions_progress(const sessions_progress&) = delete;
  sessions_progress& operator=(const sessions_progress&) = delete;

  // What session `index` tells.
  vesper_progress& session(std::size_t index);

  // Each active session's line, then the totals' line once the run's size
  // is known.
  std::vector<std::string> lines() const;
  // "All tables: DONE of TOTAL records (P%), R records/s, M:SS left".
  std::string totals() const;
  std::vector<finished_table> finished() const;

  // The status of a table done, as the wizard lists it (shared with the
  // progress of a run on one session).
  static finished_table finished_entry(const table_tally& tally, std::string records, std::string time);

 private:
  class watcher;
  struct table_state {
    std::string name;
    std::uint64_t total = 0;
    std::uint64_t done = 0;  // records through, of every part
    double started = 0;
    double ended = 0;
  };
  struct slot {
    bool active = false;
    table_progress line;
    std::uint64_t first = 1;  // a range's first record; advanced() tells record numbers from it
    std::uint64_t done = 0;   // records through in this slot
    table_state* table = nullptr;
  };

  table_state& table_of(const std::string& name, std::uint64_t total, double now);
  void start(std::size_t index, const std::string& name, std::uint64_t total, std::uint64_t first, std::uint64_t last,
             std::uint64_t done);
  void advance(std::size_t index, std::uint64_t record);
  void end(std::size_t index, std::uint64_t record);
  void finish(const table_tally& tally);
  void sized(std::uint64_t records);
  std::string totals_locked(double now) const;

  clock now_;
  listener changed_;
  // Recursive: a listener reads the lines while it is told of a change.
  mutable std::recursive_mutex mutex_;
  std::vector<slot> slots_;
  std::vector<std::unique_ptr<watcher>> watchers_;
  std::vector<std::unique_ptr<table_state>> tables_;
  std::vector<finished_table> finished_;
  std::uint64_t records_ = 0;  // of the whole run; 0 until told
  std::uint64_t done_ = 0;     // records through of the whole run
  std::uint64_t earlier_ = 0;  // of those, loaded before (resumed), no part of the rate
  double started_ = 0;
};
