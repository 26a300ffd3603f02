// The numeric text of N and F fields. Blanks (spaces, tabs, vertical tabs,
// NULs) around the number do not count, and a field of blanks only is NULL.
// A sign, digits with at most one decimal point and an optional exponent are
// a number, read with every digit the text holds. Other text keeps the
// reading earlier releases gave it where there is one ("1,23" is 1.23, "(12)"
// is -12), and text no rule reads ("*****", letters) is NULL; both come with
// a note for the user's warning, as does an N value with more decimals than
// its column keeps (Oracle rounds it).
#pragma once

#include <string>
#include <string_view>

#include "dbf_field_descriptor.hpp"
#include "ole_variant.hpp"

struct dbf_number_reading {
  ole_variant value;
  std::string note;  // empty when the text is a plain number the column holds
};

class dbf_number_text {
 public:
  // `text` is the field's text decoded from its code page.
  static dbf_number_reading read(std::u16string_view text, const dbf_field_descriptor& descriptor);
  // The same reading of the text in UTF-8 (the field's bytes themselves
  // when they are ASCII and the code page keeps ASCII as it is).
  static dbf_number_reading read_utf8(std::string_view text, const dbf_field_descriptor& descriptor);

  // True for blanks that may surround a number.
  static bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\0'; }
  // True for a sign, digits, at most one decimal point and an optional
  // exponent, with at least one digit before the exponent.
  static bool is_plain(std::u16string_view text);
  // Decimals the value of plain text has after its last significant digit
  // (trailing zeros and the exponent taken into account).
  static int decimals_of(std::u16string_view text);
};
