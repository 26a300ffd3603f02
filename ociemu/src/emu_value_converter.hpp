// Oracle's rules for storing a value in a column of a given type (implicit conversions,
// rounding, length and precision checks) and for reading it back.
#pragma once

#include <string>

#include "emu_column_type.hpp"
#include "emu_value.hpp"

namespace ociemu {

// Names the column in the messages of ORA-12899 and its kin.
struct emu_column_ref {
  std::string owner, table, column;  // UTF-8
  bool single_byte_set = false;      // the database character set takes one byte a character
};

class emu_value_converter {
 public:
  // The cell for `value` in a column of `type`; NULL stays NULL (the caller checks NOT
  // NULL). Raises ORA-01722, ORA-01438, ORA-12899, ORA-01465, ORA-00932, ORA-018xx.
  static emu_cell to_cell(const emu_value& value, const emu_column_type& type,
                          const emu_column_ref& column);
  static emu_value from_cell(const emu_cell& cell, const emu_column_type& type);
  // A value of an expression with no column type (SQLite's own storage class decides).
  static emu_value from_untyped_cell(const emu_cell& cell);

  static emu_number to_number(const emu_value& value);          // ORA-01722 on bad text
  static std::u16string to_text(const emu_value& value);
  static std::vector<std::uint8_t> to_bytes(const emu_value& value);  // hex text: ORA-01465
  // UNISTR: "\\XXXX" is the UTF-16 unit XXXX, "\\\\" one backslash (else ORA-30186).
  static std::u16string from_unistr(const std::u16string& text);
  static emu_datetime to_datetime(const emu_value& value);
  static std::u16string to_hex(const std::vector<std::uint8_t>& bytes);

  static emu_cell number_cell(const emu_number& number);

 private:
  static emu_number fit_number(const emu_number& n, const emu_column_type& type);
  static std::u16string fit_text(std::u16string text, const emu_column_type& type,
                                 const emu_column_ref& column);
};

}  // namespace ociemu
