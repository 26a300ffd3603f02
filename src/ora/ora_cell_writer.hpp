// Writes values into cells, one encoder per kind of cell. A value whose kind
// maps straight onto the cell's is written from the value itself: text into
// text, integers, decimals, booleans and wide numbers into a number, a plain date into a
// date. Any other value is written from its text form (ora_value_text), as
// Oracle converts a literal of one kind into a column of another, with the
// errors Oracle gives for text that is no such value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ole_variant.hpp"
#include "ora_cell.hpp"
#include "t_ftd.hpp"

class ora_cell_writer {
 public:
  // The kind of cell a column of `column` takes (LOB columns aside): a
  // TIMESTAMP column, or a timestamp column yet to be made, a timestamp.
  static ora_cell::kind kind_of(const t_ftd& column);

  // `value` as a cell of `kind` in `out` (replacing what it held); a NULL
  // value, empty text and empty bytes make a null cell. Raises
  // ora_exception for a value that is no value of that kind: ORA-01722 (no
  // number), ORA-01858 (no date), ORA-01465 (no hex digits). A date cell
  // keeps whole seconds, a timestamp cell the milliseconds too.
  static void write(ora_cell::kind kind, const ole_variant& value, ora_cell& out);

  // The two halves of write(), apart for the tests that hold them to the
  // same results: the value itself (false, `out` unspecified, when its
  // kind does not map straight onto the cell's) and its text form.
  static bool write_direct(ora_cell::kind kind, const ole_variant& value, ora_cell& out);
  static void write_from_text(ora_cell::kind kind, const ole_variant& value, ora_cell& out);

 private:
  static bool number(const ole_variant& value, ora_cell& out);
  static bool date(ora_cell::kind cell, const ole_variant& value, ora_cell& out);
  static bool integer(std::int64_t value, ora_cell& out);
  static bool number_text(std::u16string_view digits, ora_cell& out);
  static void date_from_text(ora_cell::kind cell, const std::u16string& text, ora_cell& out);
  static void binary_from_hex(std::u16string hex, ora_cell& out);
  static void text(std::u16string_view text, ora_cell& out);
};
