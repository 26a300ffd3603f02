// How one column's cells are decoded, chosen once when its table opens. The
// usual forms of character, numeric, date and logical fields are read
// straight from the record's bytes into the reused field: no temporary
// value, no trip through text or a double, no heap allocation once the
// field's text storage is large enough. A cell in any other form is left to
// the general decoding (dbf_field::get_variant), which reads it to the same
// value and says what it made of odd text.
#pragma once

#include <cstdint>
#include <string_view>

#include "dbf_column.hpp"
#include "tk_code_page.hpp"
#include "udb_field.hpp"

class dbf_cell_decoder {
 public:
  dbf_cell_decoder(const dbf_column& column, const tk_code_page& code_page);

  // Sets `field` from the cell's bytes and returns true; returns false, with
  // `field` untouched, when the general decoding must read the cell.
  bool read(std::string_view bytes, udb_field& field) const;

 private:
  enum class form { general, text, number, date, logical };

  bool read_text(std::string_view bytes, udb_field& field) const;
  bool read_number(std::string_view bytes, udb_field& field) const;
  bool read_integer(bool negative, std::uint64_t magnitude, udb_field& field) const;

  const tk_code_page* code_page_;
  form form_ = form::general;
  VARTYPE kind_ = VT_EMPTY;
  std::int32_t size_ = 0;
  // Fraction digits a number read here may have: an N column's decimals
  // (more are left to the general decoding, which warns that Oracle rounds
  // them), or what a decimal keeps for columns that take any.
  int most_decimals_ = 0;
};
