// One value on its way into a column, in the column's bind form: Oracle
// NUMBER bytes (a length byte first), an OCIDate, a timestamp in Oracle's
// own 11 bytes (a DATE's seven, then the nanoseconds, most significant byte
// first: OCI Programmer's Guide, Data Types, TIMESTAMP), UTF-16 text or raw
// bytes.
// The array insert binds the bytes (a timestamp through a descriptor built
// from them); the row-by-row insert writes
// its SQL literal from them (ora_cell_literal). Both start from the same cell.
#pragma once

#include <string>

struct ora_cell {
  enum class kind { null, number, date, timestamp, text, binary };

  kind what = kind::null;
  std::string bytes;  // empty for null
};
