// Column names of one table: the names already there are taken, and ROWID
// (in any case), which the server keeps for its row addresses even quoted.
#pragma once

#include "ora_validator.hpp"
#include "udb_record.hpp"
#include "udb_schema.hpp"

class ora_fn_validator : public ora_validator {
 public:
  explicit ora_fn_validator(const udb_schema& schema, const ora_server_limits& limits = ora_server_limits());
  explicit ora_fn_validator(const udb_record& record, const ora_server_limits& limits = ora_server_limits());

  // The Oracle name of the next column, in column order: upper-cased when
  // asked, made acceptable, and unique among the names given so far (two
  // source columns Name and NAME get NAME and NAME00000). A table is built
  // and its records are matched with the same sequence of calls, so both
  // give each column the same name.
  std::u16string take_name(const std::u16string& source, bool b_uppercase);
};
