// One value on its way into a column, in the column's bind form: Oracle
// NUMBER bytes (a length byte first), an OCIDate, UTF-16 text or raw bytes.
// The array insert binds the bytes as they are; the row-by-row insert writes
// its SQL literal from them (ora_cell_literal). Both start from the same cell.
#pragma once

#include <string>

struct ora_cell {
  enum class kind { null, number, date, text, binary };

  kind what = kind::null;
  std::string bytes;  // empty for null
};
