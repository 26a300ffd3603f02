// What the progress page shows of the run beyond its bar, filled from the
// run's thread and read by the page: the current table's line (records,
// rate and time left, as the agent's console shows them) and the tables
// done, each with its records and how it ended. A run on several sessions
// has a line for each session's table and one of the run's totals, and its
// tables done come from every session.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sessions_progress.hpp"
#include "table_progress.hpp"
#include "vesper_progress.hpp"

struct table_tally;

class run_progress_board : public vesper_progress {
 public:
  using finished_table = sessions_progress::finished_table;
  // Seconds since any fixed point; the steady clock unless a test gives one.
  using clock = std::function<double()>;

  explicit run_progress_board(clock now = {});

  // A new run: nothing shown.
  void clear();

  void table_started(const std::u16string& name, std::uint64_t total, std::uint64_t done) override;
  void advanced(std::uint64_t done) override;
  void table_ended(std::uint64_t done) override;
  void table_finished(const table_tally& tally) override;
  vesper_progress* session(std::size_t index, std::size_t sessions) override;

  // The table being loaded, empty between tables; with several sessions,
  // a line per session's table and the totals, one under the other.
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
  // The run on several sessions under way, if any; it keeps its own lock.
  std::shared_ptr<sessions_progress> sessions_;
  std::shared_ptr<sessions_progress> sessions() const;
};
