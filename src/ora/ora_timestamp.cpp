#include "ora_timestamp.hpp"

#include "ole_calendar.hpp"
#include "tk_format.hpp"

namespace {

constexpr std::uint32_t nanoseconds_a_millisecond = 1000000;

}  // namespace

std::string ora_timestamp::bytes() const {
  std::string out(size, '\0');
  out[0] = static_cast<char>(year / 100 + 100);
  out[1] = static_cast<char>(year % 100 + 100);
  out[2] = static_cast<char>(month);
  out[3] = static_cast<char>(day);
  out[4] = static_cast<char>(hour + 1);
  out[5] = static_cast<char>(minute + 1);
  out[6] = static_cast<char>(second + 1);
  for (int i = 0; i < 4; ++i) out[7 + i] = static_cast<char>(nanosecond >> (24 - 8 * i) & 0xFF);
  return out;
}

std::optional<ora_timestamp> ora_timestamp::of(std::string_view bytes) {
  if (bytes.size() != size) return std::nullopt;
  auto at = [&](std::size_t i) { return static_cast<int>(static_cast<unsigned char>(bytes[i])); };
  ora_timestamp t;
  t.year = (at(0) - 100) * 100 + at(1) - 100;
  t.month = at(2);
  t.day = at(3);
  t.hour = at(4) - 1;
  t.minute = at(5) - 1;
  t.second = at(6) - 1;
  for (int i = 0; i < 4; ++i) t.nanosecond = t.nanosecond << 8 | static_cast<std::uint32_t>(at(7 + i));
  const bool valid = t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
                     t.day <= ole_days_in_month(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
                     t.minute <= 59 && t.second >= 0 && t.second <= 59 && t.nanosecond < 1000000000u;
  if (!valid) return std::nullopt;
  return t;
}

std::u16string ora_timestamp::literal() const {
  const std::u16string seconds = tk_wformat(u"TIMESTAMP '%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                                            minute, second);
  if (nanosecond % nanoseconds_a_millisecond == 0)
    return seconds + tk_wformat(u".%03d'", static_cast<int>(nanosecond / nanoseconds_a_millisecond));
  return seconds + tk_wformat(u".%09d'", static_cast<int>(nanosecond));
}
