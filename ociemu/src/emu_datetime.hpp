// A DATE or TIMESTAMP value, its storage text and Oracle's TO_DATE parsing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ociemu {

struct emu_datetime {
  int year = 1;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  std::uint32_t nanosecond = 0;

  // "YYYY-MM-DD HH:MM:SS" followed by `fraction_digits` digits of the second, if any.
  std::string to_storage(int fraction_digits) const;
  static std::optional<emu_datetime> from_storage(std::string_view text);

  // Oracle's default NLS formats (DD-MON-RR and DD-MON-RR HH.MI.SSXFF AM).
  std::string to_date_text() const;
  std::string to_timestamp_text(int fraction_digits) const;

  // TO_DATE(text, format) with the elements YYYY, YY, RR, MM, MON, MONTH, DD, HH24, HH, MI,
  // SS and punctuation; raises the ORA-018xx error a server gives for a mismatch. With
  // `fractions` (TO_TIMESTAMP, TIMESTAMP literals) FF and FF1 to FF9 read the second's fraction.
  static emu_datetime parse(std::u16string_view text, std::u16string_view format, bool fractions = false);

  // Rounds the fraction to `digits` (TIMESTAMP(n)).
  emu_datetime with_fraction_digits(int digits) const;
  static emu_datetime now();
  bool valid() const;
};

int days_in_month(int year, int month);

}  // namespace ociemu
