// Values written straight into a cell must give exactly the cell their
// text form gives: every pairing the direct half takes is checked against
// the text half over the edges of each kind, and the values it leaves alone
// must be the ones whose text form is special. Values of another kind than
// their column's are read from their text with Oracle's errors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "ole_number.hpp"
#include "ora_cell_literal.hpp"
#include "ora_cell_writer.hpp"
#include "ora_exception.hpp"
#include "ora_oci.hpp"
#include "ora_timestamp.hpp"
#include "udb_builders.hpp"

namespace {

using kind = ora_cell::kind;

// What the text half makes of a value: its cell, or "error".
struct text_result {
  bool error = false;
  ora_cell cell;
};

text_result through_text(kind cell, const ole_variant& value) {
  text_result result;
  try {
    ora_cell_writer::write_from_text(cell, value, result.cell);
  } catch (const ora_exception&) {
    result.error = true;
  }
  return result;
}

// The direct half agrees with the text half, or leaves the value to it.
// Returns whether the direct half took the value.
bool agrees(kind cell, const ole_variant& value) {
  ora_cell direct{kind::binary, "stale bytes of an earlier value"};
  if (!ora_cell_writer::write_direct(cell, value, direct)) return false;
  const text_result expected = through_text(cell, value);
  EXPECT_FALSE(expected.error) << "the direct half took a value the text half refuses";
  EXPECT_EQ(direct.what, expected.cell.what);
  EXPECT_EQ(direct.bytes, expected.cell.bytes);
  return true;
}

int ora_error(kind cell, const ole_variant& value) {
  ora_cell out;
  try {
    ora_cell_writer::write(cell, value, out);
  } catch (const ora_exception& e) {
    return e.ora_number();
  }
  return 0;
}

oci::date date_of(const ora_cell& cell) {
  oci::date d{};
  EXPECT_EQ(cell.what, kind::date);
  EXPECT_EQ(cell.bytes.size(), sizeof d);
  if (cell.bytes.size() == sizeof d) std::memcpy(&d, cell.bytes.data(), sizeof d);
  return d;
}

ora_cell cell_of(kind cell, const ole_variant& value) {
  ora_cell out;
  ora_cell_writer::write(cell, value, out);
  return out;
}

ole_variant decimal(ole_uint128 magnitude, int scale, bool negative) {
  return ole_variant(ole_make_decimal(magnitude, scale, negative));
}

}  // namespace

TEST(OraCellWriter, IntegersOfEveryKindAtTheirEnds) {
  using limits64 = std::numeric_limits<long long>;
  for (long long v : {0LL, 1LL, -1LL, 7LL, 10LL, 99LL, 100LL, -100LL, 123456789LL, 2147483647LL, -2147483648LL,
                      1000000000000000000LL, limits64::max(), limits64::min()})
    EXPECT_TRUE(agrees(kind::number, ole_variant(v))) << v;
  for (int v : {0, -1, 2147483647, -2147483647 - 1}) EXPECT_TRUE(agrees(kind::number, ole_variant(v))) << v;
  for (short v : {short(0), short(-32768), short(32767)}) EXPECT_TRUE(agrees(kind::number, ole_variant(v)));
  for (char v : {char(-128), char(0), char(127)}) EXPECT_TRUE(agrees(kind::number, ole_variant(v)));
  for (unsigned v : {0u, 4294967295u}) EXPECT_TRUE(agrees(kind::number, ole_variant(v)));
  EXPECT_TRUE(agrees(kind::number, ole_variant(static_cast<unsigned char>(255))));
  EXPECT_TRUE(agrees(kind::number, ole_variant(static_cast<unsigned short>(65535))));
  EXPECT_TRUE(agrees(kind::number, ole_variant(true)));
  EXPECT_TRUE(agrees(kind::number, ole_variant(false)));
}

TEST(OraCellWriter, DecimalsOfEveryScaleAndSign) {
  std::mt19937_64 random(21);
  const ole_uint128 widest = ole_decimal_limit;
  for (int scale = 0; scale <= 28; ++scale) {
    for (ole_uint128 magnitude : {ole_uint128(0), ole_uint128(1), ole_uint128(5), ole_uint128(1234567),
                                  ole_uint128(100000), widest, widest - 1}) {
      EXPECT_TRUE(agrees(kind::number, decimal(magnitude, scale, false))) << scale;
      EXPECT_TRUE(agrees(kind::number, decimal(magnitude, scale, true))) << scale;
    }
    for (int i = 0; i < 50; ++i) {
      const ole_uint128 magnitude = ((ole_uint128(random()) << 64) | random()) % (widest + 1);
      EXPECT_TRUE(agrees(kind::number, decimal(magnitude, scale, i % 2 == 0))) << scale;
    }
  }
}

// Two-digit years, days that do not exist and times past the day's end are
// the text half's: the date printer and reader decide what they become.
TEST(OraCellWriter, DatesTakenDirectlyAreTheLiteralsDates) {
  // Hour, minute, second and millisecond: within the day and past it.
  static constexpr int times[][4] = {{0, 0, 0, 0},   {23, 59, 59, 0}, {0, 0, 0, 5},  {12, 30, 0, 999},
                                     {24, 0, 0, 0},  {10, 60, 0, 0},  {10, 0, 60, 0}, {1, 2, 3, 1000}};
  int taken = 0, left = 0;
  for (int year : {0, 1, 49, 50, 99, 100, 999, 1000, 1582, 1900, 1999, 2000, 2024, 2100, 9999})
    for (int month : {0, 1, 2, 12, 13})
      for (int day : {0, 1, 28, 29, 30, 31, 32})
        for (const int* time : times) {
          const SYSTEMTIME t = udb_time_of(year, month, day, time[0], time[1], time[2], time[3]);
          for (kind cell : {kind::date, kind::timestamp}) (agrees(cell, ole_variant(t)) ? taken : left)++;
        }
  EXPECT_GT(taken, 600);  // the plain dates go straight
  EXPECT_GT(left, 600);
  EXPECT_TRUE(agrees(kind::date, ole_variant(udb_time_of(2024, 2, 29, 13, 14, 15))));
  EXPECT_FALSE(agrees(kind::date, ole_variant(udb_time_of(2023, 2, 29))));  // no such day: its text makes it NULL
  EXPECT_FALSE(agrees(kind::date, ole_variant(udb_time_of(24, 2, 29))));    // printed as 2024
}

TEST(OraCellWriter, TextKeepsQuotesAndEmptyTextIsNull) {
  for (const char16_t* text : {u"plain", u"it's", u"''", u"'", u"\"\"", u"NULL", u"  padded  ", u"\u0416\u00e9\U0001F600",
                               u"a\u0000b"})
    EXPECT_TRUE(agrees(kind::text, ole_variant(std::u16string(text)))) << "text";
  EXPECT_TRUE(agrees(kind::text, ole_variant(std::u16string())));
  EXPECT_EQ(cell_of(kind::text, ole_variant(std::u16string())).what, kind::null);
  EXPECT_EQ(cell_of(kind::text, ole_variant(std::u16string(u"it's"))).bytes,
            std::string("i\0t\0'\0s\0", 8));
}

// Kinds whose text form is more than their value are left to it: doubles
// (shortest text, NaN), empty values, a number into a text column and text
// into a number or date column.
TEST(OraCellWriter, OtherPairingsTakeTheTextForm) {
  ora_cell out;
  EXPECT_FALSE(ora_cell_writer::write_direct(kind::number, ole_variant(2.5), out));
  EXPECT_FALSE(ora_cell_writer::write_direct(kind::number, ole_variant(), out));
  EXPECT_FALSE(ora_cell_writer::write_direct(kind::number, ole_variant(std::u16string(u"12")), out));
  EXPECT_FALSE(ora_cell_writer::write_direct(kind::number, ole_variant(18446744073709551615ULL), out));
  EXPECT_FALSE(ora_cell_writer::write_direct(kind::text, ole_variant(12), out));
  EXPECT_FALSE(ora_cell_writer::write_direct(kind::date, ole_variant(std::u16string(u"2024-01-02")), out));
  EXPECT_FALSE(ora_cell_writer::write_direct(kind::binary, ole_variant(std::u16string(u"ab")), out));
  DECIMAL past_scale = ole_make_decimal(5, 0, false);
  past_scale.scale = 29;
  EXPECT_FALSE(ora_cell_writer::write_direct(kind::number, ole_variant(past_scale), out));
  EXPECT_EQ(cell_of(kind::number, ole_variant(past_scale)).what, kind::null);
  EXPECT_EQ(cell_of(kind::number, ole_variant(std::nan(""))).what, kind::null);
  EXPECT_EQ(cell_of(kind::number, ole_variant()).what, kind::null);
}

// Text into a number column reads as Oracle reads a quoted number; a
// number into a text column is its digits; a double its shortest text.
TEST(OraCellWriter, NumbersFromTextAndTextFromNumbers) {
  EXPECT_EQ(cell_of(kind::number, ole_variant(std::u16string(u"12.5"))).bytes,
            cell_of(kind::number, ole_variant::from_wstring(u"12.5", VT_DECIMAL)).bytes);
  EXPECT_EQ(cell_of(kind::number, ole_variant(2.3)).bytes,
            cell_of(kind::number, ole_variant::from_wstring(u"2.3", VT_DECIMAL)).bytes);
  EXPECT_EQ(ora_error(kind::number, ole_variant(std::u16string(u"twelve"))), 1722);
  EXPECT_EQ(ora_error(kind::number, ole_variant(std::u16string(u"12,5"))), 1722);
  EXPECT_EQ(ora_error(kind::number, ole_variant(udb_time_of(2021, 5, 6))), 1722);
  EXPECT_EQ(cell_of(kind::text, ole_variant(42)).bytes, std::string("4\0" "2\0", 4));
  EXPECT_EQ(cell_of(kind::text, ole_variant(0.5)).bytes, std::string("0\0.\0" "5\0", 6));
  // A date into a text column is its text, never the session's date format.
  EXPECT_EQ(cell_of(kind::text, ole_variant(udb_time_of(2021, 5, 6))).bytes.size(), 20u);
}

TEST(OraCellWriter, DatesFromEveryTextForm) {
  oci::date d = date_of(cell_of(kind::date, ole_variant(std::u16string(u"2021-05-06 07:08:09"))));
  EXPECT_EQ(d.year, 2021);
  EXPECT_EQ(d.month, 5);
  EXPECT_EQ(d.day, 6);
  EXPECT_EQ(d.hour, 7);
  EXPECT_EQ(d.minute, 8);
  EXPECT_EQ(d.second, 9);
  d = date_of(cell_of(kind::date, ole_variant(std::u16string(u"1899-12-30"))));
  EXPECT_EQ(d.year, 1899);
  EXPECT_EQ(d.month, 12);
  EXPECT_EQ(d.day, 30);
  EXPECT_EQ(d.hour + d.minute + d.second, 0);
  // A time alone falls on the first day of the current month, as to_date puts it.
  d = date_of(cell_of(kind::date, ole_variant(std::u16string(u"23:59:58"))));
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(d.year, local.tm_year + 1900);
  EXPECT_EQ(d.month, local.tm_mon + 1);
  EXPECT_EQ(d.day, 1);
  EXPECT_EQ(d.hour, 23);
  EXPECT_EQ(d.second, 58);
  // A two-digit year is widened by the date printer.
  d = date_of(cell_of(kind::date, ole_variant(udb_time_of(24, 2, 29))));
  EXPECT_EQ(d.year, 2024);
  for (const char16_t* bad : {u"2021-13-01", u"2021-05-06 24:00:00", u"2021-05-06 07:08", u"SYSDATE"})
    EXPECT_EQ(ora_error(kind::date, ole_variant(std::u16string(bad))), 1858);
  // Digits are no date.
  EXPECT_EQ(ora_error(kind::date, ole_variant(20210506)), 1858);
}

// A timestamp cell keeps the milliseconds a date cell drops, whether from
// the value or its text (nine digits at most, as Oracle's FF reads), and the
// row-by-row literal says the same instant.
TEST(OraCellWriter, TimestampsKeepTheFractionOfTheSecond) {
  const ora_cell last = cell_of(kind::timestamp, ole_variant(udb_time_of(9999, 12, 31, 23, 59, 59, 999)));
  EXPECT_EQ(last.what, kind::timestamp);
  EXPECT_EQ(last.bytes, std::string("\xC7\xC7\x0C\x1F\x18\x3C\x3C\x3B\x8B\x87\xC0", 11));
  EXPECT_EQ(ora_cell_literal::sql(last), u"TIMESTAMP '9999-12-31 23:59:59.999'");
  const ora_cell text = cell_of(kind::timestamp, ole_variant(std::u16string(u"9999-12-31 23:59:59.999")));
  EXPECT_EQ(text.bytes, last.bytes);
  const ora_cell fine = cell_of(kind::timestamp, ole_variant(std::u16string(u"0999-01-02 03:04:05.000000007")));
  EXPECT_EQ(ora_cell_literal::sql(fine), u"TIMESTAMP '0999-01-02 03:04:05.000000007'");
  const std::optional<ora_timestamp> back = ora_timestamp::of(fine.bytes);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->nanosecond, 7u);
  // A date cell keeps whole seconds: the fraction is cut, never rounded up.
  oci::date d = date_of(cell_of(kind::date, ole_variant(udb_time_of(2024, 2, 29, 23, 59, 59, 999))));
  EXPECT_EQ(d.day, 29);
  EXPECT_EQ(d.second, 59);
  d = date_of(cell_of(kind::date, ole_variant(std::u16string(u"2024-02-29 23:59:59.999"))));
  EXPECT_EQ(d.day, 29);
  EXPECT_EQ(d.second, 59);
  for (const char16_t* bad : {u"2024-02-29 23:59:59.", u"2024-02-29 23:59:59.1234567890", u"2024-02-29 23:59:59,5",
                              u"2024-02-29 23:59:59.5x"})
    EXPECT_EQ(ora_error(kind::timestamp, ole_variant(std::u16string(bad))), 1858);
  EXPECT_FALSE(ora_timestamp::of(std::string(11, '\0')).has_value());
}

TEST(OraCellWriter, BytesFromHexText) {
  EXPECT_EQ(cell_of(kind::binary, ole_variant(std::u16string(u"0A1b"))).bytes, std::string("\x0A\x1B", 2));
  // An odd count of digits reads with a leading zero, as Oracle does.
  EXPECT_EQ(cell_of(kind::binary, ole_variant(std::u16string(u"ABC"))).bytes, std::string("\x0A\xBC", 2));
  EXPECT_EQ(ora_error(kind::binary, ole_variant(std::u16string(u"0G"))), 1465);
  const std::vector<std::uint8_t> bytes{0x00, 0xFF};
  const ora_cell cell = cell_of(kind::binary, ole_variant(bytes));
  EXPECT_EQ(cell.what, kind::binary);
  EXPECT_EQ(cell.bytes, std::string("\x00\xFF", 2));
}
