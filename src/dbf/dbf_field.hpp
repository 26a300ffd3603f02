// One fixed-width field of a DBF record decoded into a value.
#pragma once

#include <string_view>

#include "dbf_field_descriptor.hpp"
#include "tk_code_page.hpp"
#include "udb_field.hpp"

class dbf_field : public udb_field {
 public:
  // `note`, when given, receives why a value was not carried over as the
  // file holds it (empty when it was).
  dbf_field(std::string_view bytes, const dbf_field_descriptor& descriptor,
            std::u16string name, const tk_code_page& code_page, std::string* note = nullptr);

  // The value of the field's bytes: binary letters (L, Y, I, T, B) by their
  // layout, every other letter as text parsed into the field's kind.
  static ole_variant get_variant(const tk_code_page& code_page, std::string_view bytes,
                                 const dbf_field_descriptor& descriptor, std::string* note = nullptr);

  // A D field's usual form, YYYYMMDD in ASCII digits with a day the month
  // has (and a year from 100), read without the general date parser; it
  // reads to the same date. False for anything else (blank, damaged,
  // two-digit years), which is left to the parser.
  static bool plain_date(std::string_view bytes, SYSTEMTIME& time);
  // The bytes of an L field read as true and as false; any other byte
  // (blank or '?' for a value not set, or damage) is read as false and noted.
  static bool is_true_logical(char c) { return c == 'T' || c == 't' || c == 'Y' || c == 'y'; }
  static bool is_false_logical(char c) { return c == 'F' || c == 'f' || c == 'N' || c == 'n'; }
  // What is said of text holding a byte the code page leaves undefined (it
  // arrives as U+FFFD); empty when every byte is defined.
  static std::string undefined_byte_note(const tk_code_page& code_page, std::string_view bytes);

  // The date and time of a T field (Julian day, milliseconds since
  // midnight); VT_EMPTY before 0001-01-01 or after 9999-12-31.
  static ole_variant date_time(std::int32_t julian_day, std::int32_t milliseconds);
  // The same from the field's 8 bytes; a day past 9999-12-31 sets `note`.
  static ole_variant date_time_noted(std::string_view bytes, std::string* note);

 private:
  static ole_variant variant_of(const tk_code_page& code_page, std::string_view bytes,
                                const dbf_field_descriptor& descriptor, std::string* note);
};
