// How far the run is, for a front end that looks while it goes (the
// wizard's progress page polls it from its own thread): the tables and
// records through, and the table at hand. The run writes it, nobody else.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

class run_status {
 public:
  std::u16string current_table() const {
    std::lock_guard lock(mutex_);
    return current_table_;
  }
  void set_current_table(const std::u16string& name) {
    std::lock_guard lock(mutex_);
    current_table_ = name;
  }
  void reset() {
    tables_total = 0;
    table_index = 0;
    records_total = 0;
    records_done = 0;
  }

  std::atomic<std::uint32_t> tables_total{0};
  std::atomic<std::uint32_t> table_index{0};
  std::atomic<std::uint32_t> records_total{0};
  std::atomic<std::uint32_t> records_done{0};
  // The run has ended (set last, however it ended).
  std::atomic<bool> done{false};

 private:
  mutable std::mutex mutex_;
  std::u16string current_table_;
};
