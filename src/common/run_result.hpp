// What became of a conversion run: each table's tally in run order, the
// tables and records that failed, and whether the user stopped it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "table_tally.hpp"

struct run_result {
  std::vector<table_tally> tallies;
  std::uint32_t tables_failed = 0;
  std::uint32_t records_failed = 0;
  // The run ended because a stop was asked for.
  bool cancelled = false;
  // The tally of the table a stop (asked for, or an error's Abort) ended
  // while it was being loaded; none when the run ended between tables.
  std::optional<std::size_t> stopped_table;

  bool failed() const { return tables_failed != 0 || records_failed != 0; }
  // What a user must know of the table the run stopped in when some of its
  // records are committed: which Oracle table holds how many, and that a
  // resumed run goes on after them. Empty when there is no such table.
  std::string partial_table_note() const;
};
