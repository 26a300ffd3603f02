// Reads the SQL literals the row-by-row insert writes (numbers, quoted
// text, to_date(...), HEXTORAW(...)) back into bind values, so that an
// array insert stores exactly what a literal insert would, with the same
// conversion rules, in forms no session setting can change.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ora_oci.hpp"

class ora_literal_reader {
 public:
  // "NULL", an empty literal and '' are NULL.
  static bool is_null(const std::u16string& literal);
  // Oracle's NUMBER bytes; ORA-01722 (ora_exception) for text that is no number.
  static std::string number(const std::u16string& literal);
  // An OCIDate; ORA-01858 for a literal that is no date. A time without a
  // date falls on the first day of the current month, as to_date puts it.
  static oci::date date(const std::u16string& literal);
  // The text of a quoted literal, or the literal itself.
  static std::u16string text(const std::u16string& literal);
  // The bytes of 'hex digits' or HEXTORAW('hex digits'); ORA-01465 otherwise.
  static std::vector<std::uint8_t> binary(const std::u16string& literal);

 private:
  static std::optional<std::u16string> quoted_part(const std::u16string& literal);
};
