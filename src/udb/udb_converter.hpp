// The part of a converter the conversion run reads and writes: the progress
// of the run. The counters and the current table
// name may be read from another thread while the run goes on.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tk_converter.hpp"

class udb_converter : public tk_converter {
 public:
  udb_converter();

  std::u16string current_table() const;
  void set_current_table(const std::u16string& name);
  void reset_progress();

  std::atomic<std::uint32_t> tables_total{0};
  std::atomic<std::uint32_t> table_index{0};
  std::atomic<std::uint32_t> records_total{0};
  std::atomic<std::uint32_t> records_done{0};
  // What failed in the last run (kept after it ends, for the exit status).
  std::atomic<std::uint32_t> tables_failed{0};
  std::atomic<std::uint32_t> records_failed{0};

 private:
  mutable std::mutex name_mutex_;
  std::u16string cur_table_;
};
