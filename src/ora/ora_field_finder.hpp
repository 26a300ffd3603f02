// The names a record's fields get in Oracle (upper-cased when the run asks,
// made acceptable when they are not), to find the field of a column.
#pragma once

#include <string>
#include <vector>

#include "ora_fn_validator.hpp"
#include "udb_record.hpp"

class ora_field_finder {
 public:
  ora_field_finder(const udb_record& record, bool b_uppercase, const ora_server_limits& limits);
  // The position of the field mapped to `column` (exact), or -1.
  int get_field_idx(const std::u16string& column) const;

 private:
  ora_fn_validator validator_;
  std::vector<std::u16string> names_;
};
