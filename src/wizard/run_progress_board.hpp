// What the progress page shows of the run beyond its bar, filled from the
// run's thread and read by the page: the current table's line (records,
// rate and time left, as the agent's console shows them) and the tables
// done, each with its records and how it ended.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "table_progress.hpp"
#include "vesper_progress.hpp"

struct table_tally;

class run_progress_board : public vesper_progress {
 public:
  struct finished_table {
    std::string name;     // printable
    std::string records;  // "DONE of TOTAL" ("0" when none was loaded)
    // "done in M:SS", "stopped after M:SS", "failed", "skipped" or
    // "cancelled", then the records that failed and the warnings.
    std::string status;
  };
  // Seconds since any fixed point; the steady clock unless a test gives one.
  using clock = std::function<double()>;

  explicit run_progress_board(clock now = {});

  // A new run: nothing shown.
  void clear();

  void table_started(const std::u16string& name, std::uint64_t total, std::uint64_t done) override;
  void advanced(std::uint64_t done) override;
  void table_ended(std::uint64_t done) override;
  void table_finished(const table_tally& tally) override;

  // The table being loaded, empty between tables.
  std::string current_line() const;
  std::vector<finished_table> finished() const;

 private:
  clock now_;
  mutable std::mutex mutex_;
  table_progress table_;
  std::uint64_t done_ = 0;
  bool loading_ = false;
  // The line of the table's end, until table_finished takes it.
  std::string ended_records_;
  std::string ended_time_;
  std::vector<finished_table> finished_;
};
