// The text form of a value whose kind is not its column's: what a number,
// date or byte string reads as when it goes into a column of another kind,
// the way Oracle converts a literal of one kind into a column of another.
#pragma once

#include <optional>
#include <string>

#include "ole_variant.hpp"

class ora_value_text {
 public:
  enum class shape {
    none,    // the value is NULL (empty text, NaN, a date or byte string that is none)
    plain,   // a number's digits
    quoted,  // text, a date's text, hex digits of bytes
  };

  // The text of `value` into `out`. Doubles as their shortest text that
  // reads back as the same double; dates as "YYYY-MM-DD", "YYYY-MM-DD
  // HH:MI:SS" (".FFF" after it when there are milliseconds) or "HH:MI:SS";
  // bytes as hex digits (a whole braced GUID as
  // the bytes of the GUID structure).
  static shape of(const ole_variant& value, std::u16string& out);
  // The date of a date text as above; empty when it is no date.
  static std::u16string date(const std::u16string& text);
  // The hex digits of "0x<hex>" or "<decimal digits>" (whose first two are
  // dropped); nothing for other text.
  static std::optional<std::u16string> hex_digits(const std::u16string& text);
};
