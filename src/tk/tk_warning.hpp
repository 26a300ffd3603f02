// Something of the source that could not be carried over whole: a value or
// memo left empty, cut or rounded, a column dropped. The run goes on and the
// record or table still counts as converted, but the user hears of it, and
// the run's exit status tells of it.
#pragma once

#include <cstdint>
#include <string>

struct tk_warning {
  std::string table;          // as shown to the user
  std::uint64_t record = 0;   // from 1, as users count; 0 when no single record is meant
  std::string column;         // empty when no single column is meant
  std::string what;           // what was lost, and why

  // "table, record #N, column C: what", leaving out the parts not given.
  std::string text() const;
};
