// The SQL literal of a cell, for the row-by-row insert: written from the
// cell's bytes, so that it stores what the array insert binds. Numbers as
// plain digits with a point (never the session's decimal character), dates
// through TO_DATE with an explicit format, timestamps as ANSI TIMESTAMP
// literals with their fraction, text quoted, bytes as HEXTORAW.
#pragma once

#include <string>

#include "ora_cell.hpp"

class ora_cell_literal {
 public:
  static std::u16string sql(const ora_cell& cell);
  // The text of a text cell.
  static std::u16string text(const ora_cell& cell);
};
