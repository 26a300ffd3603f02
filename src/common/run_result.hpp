// What became of a conversion run: each table's tally in run order, the
// tables and records that failed, and whether the user stopped it.
#pragma once

#include <cstdint>
#include <vector>

#include "table_tally.hpp"

struct run_result {
  std::vector<table_tally> tallies;
  std::uint32_t tables_failed = 0;
  std::uint32_t records_failed = 0;
  // The run ended because a stop was asked for.
  bool cancelled = false;

  bool failed() const { return tables_failed != 0 || records_failed != 0; }
};
