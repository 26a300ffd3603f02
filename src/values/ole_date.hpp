// A date, a time or both, read from text of many shapes, checked, and printed
// in the one canonical form: yyyy-mm-dd, then hh:mm:ss and milliseconds.
#pragma once

#include <cstdint>
#include <string>

#include "ole_automation.hpp"
#include "ole_variant.hpp"

class ole_date {
 public:
  enum : int { invalid = 0, date_and_time = 1, date_only = 2, time_only = 3 };

  explicit ole_date(const SYSTEMTIME& value);
  explicit ole_date(const std::string& text);
  explicit ole_date(const std::u16string& text);

  // The parser proper: the steps after trimming and the AM/PM cut.
  void import_from_string(const std::string& text);
  bool is_valid() const;
  // A value with no date is a time; a date at 00:00:00 is a date.
  void refine_type();
  // Seconds with an optional fraction ("05.250") into seconds and milliseconds.
  void process_milliseconds(const char* seconds_text);

  std::string to_string(bool with_milliseconds = true) const;
  std::u16string to_wstring(bool with_milliseconds = true) const;
  ole_variant to_variant() const;

  bool date_only_at_midnight = true;
  int type = invalid;
  SYSTEMTIME st;

 private:
  void parse(std::string text);
  bool try_timestamps(const std::string& text);
  bool try_pure_time(const std::string& text);
  bool try_platform_parser(const std::string& text);
  bool try_separated_formats(const std::string& text);
  bool has_existing_day() const;
  void reset();
};
