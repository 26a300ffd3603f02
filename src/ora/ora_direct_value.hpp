// The bind form of a value whose kind maps straight onto its column's bind
// form: text into a text column, integers, decimals and booleans into a
// number column, a date into a date column. It is written from the value
// itself, with the result the value's SQL literal read back would give,
// without printing and parsing that literal. Every other pairing, and
// values at the edges of what the literal path does (two-digit years,
// times out of the day's range), is left to the literal path.
#pragma once

#include <string>

#include "ole_variant.hpp"
#include "ora_bind_column.hpp"

class ora_direct_value {
 public:
  enum class outcome {
    value,    // `out` holds the bind bytes
    null,     // the value is NULL
    literal,  // this pairing takes the literal path
  };

  // Writes the value's bind bytes for a column of `form` into `out`
  // (replacing what it held). Conversion rules are not asked here: a value
  // a rule claims must take the literal path.
  static outcome write(ora_bind_column::form form, const ole_variant& value, std::string& out);

 private:
  static outcome number(const ole_variant& value, std::string& out);
  static outcome date(const ole_variant& value, std::string& out);
  static outcome decimal(const DECIMAL& value, std::string& out);
  static outcome integer(std::int64_t value, std::string& out);
  static outcome number_text(std::string_view digits, std::string& out);
};
