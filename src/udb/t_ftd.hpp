// The type descriptor of one column: what every cell of the column holds and
// how the target should declare it.
#pragma once

#include <cstdint>
#include <string>

#include "ole_variant.hpp"

class t_ftd {
 public:
  // `reserved` carries an extra attribute through the type mapping: for
  // VT_DECIMAL columns (precision << 8) | scale; for dates 1 (date and time)
  // or 2 (date only); 0 otherwise.
  t_ftd(std::uint32_t size, std::u16string name, VARTYPE vartype, bool b_not_null = false,
        bool auto_increment = false, ole_variant default_value = ole_variant(),
        std::uint32_t reserved = 0, std::u16string native_type = {});

  // True when values of this (source) column fit the destination column.
  bool conform_to(const t_ftd& destination) const;
  bool operator==(const t_ftd& destination) const { return conform_to(destination); }

  std::uint32_t size;          // characters, bytes or the source's width; 0: unbounded
  std::u16string name;
  VARTYPE vartype;
  std::u16string native_type;  // the target's own type text chosen by the user
  bool auto_increment;
  std::int64_t next_value = 1;  // an auto-increment column's value for the first new row
  bool b_not_null;
  // NOT NULL wanted once the rows are in (a dBASE 7 required field): set
  // after the load, so that rows leaving the column empty are not lost.
  bool required = false;
  ole_variant default_value;
  std::uint32_t reserved;
  std::u16string text;
};

bool udb_is_numeric_kind(VARTYPE kind);
bool udb_is_string_kind(VARTYPE kind);
