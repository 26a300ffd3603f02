// A TIMESTAMP value in Oracle's own 11 bytes: century and year of the
// century each plus 100, month, day, hour, minute and second each plus 1
// (the 7 bytes of a DATE), then the nanoseconds as a 32-bit integer, most
// significant byte first (OCI Programmer's Guide, Data Types: DATE and
// TIMESTAMP). The form a timestamp cell keeps; its SQL literal and its
// bound descriptor are made from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ora_timestamp {
  static constexpr std::size_t size = 11;

  int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  std::uint32_t nanosecond = 0;

  std::string bytes() const;
  // Nothing when `bytes` are not 11 bytes of a timestamp.
  static std::optional<ora_timestamp> of(std::string_view bytes);
  // TIMESTAMP 'YYYY-MM-DD HH24:MI:SS.FF', the ANSI literal every session
  // reads alike; the fraction has 3 digits, or 9 when milliseconds are not
  // enough (SQL Language Reference, Literals, TIMESTAMP Literals).
  std::u16string literal() const;
};
