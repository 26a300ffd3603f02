// What merging a source table into an existing Oracle table would lose: a
// source column the Oracle table lacks has its values dropped (a warning per
// column); a column whose kind the Oracle column cannot take (text into a
// number) fails the whole table; a timestamp column going into a DATE
// column loses its milliseconds (a warning per column). Sizes are left to
// the server, which refuses only the values that do not fit, record by
// record.
#pragma once

#include <string>

#include "udb_schema.hpp"

class tk_reporter;

class merge_check {
 public:
  // `uppercase`: the run upper-cases names, as the columns were named when
  // the Oracle table was made by a run.
  merge_check(const udb_schema& source, const udb_schema& destination, bool uppercase, tk_reporter& reporter);

  // Warns of every dropped column of `table` through the reporter;
  // raises the level-0 "does not conform" error for a column of another kind.
  void run(const std::string& table) const;

 private:
  static bool kinds_conform(const t_ftd& source, const t_ftd& destination);
  static bool drops_milliseconds(const t_ftd& source, const t_ftd& destination);

  const udb_schema& source_;
  const udb_schema& destination_;
  bool uppercase_;
  tk_reporter& reporter_;
};
