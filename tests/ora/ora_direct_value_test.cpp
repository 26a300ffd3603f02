// Values written straight into bind form must bind exactly what their SQL
// literal, read back, binds: every pairing the direct path takes is checked
// against the literal path over the edges of each kind, and the values it
// leaves alone must be the ones the literal path treats specially.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "ole_number.hpp"
#include "ora_direct_value.hpp"
#include "ora_exception.hpp"
#include "ora_literal_reader.hpp"
#include "ora_util.hpp"
#include "udb_builders.hpp"
#include "udb_field.hpp"

namespace {

using form = ora_bind_column::form;
using outcome = ora_direct_value::outcome;

// What the batch path binds for a value through its literal: the bytes, or
// nothing for NULL; "error" when reading the literal back fails.
struct literal_result {
  bool error = false;
  std::optional<std::string> bytes;
};

literal_result through_literal(form kind, const ole_variant& value) {
  const std::u16string literal = to_oracle_str(udb_field(u"F", 0, value));
  literal_result result;
  if (ora_literal_reader::is_null(literal)) return result;
  try {
    if (kind == form::number) {
      result.bytes = ora_literal_reader::number(literal);
    } else if (kind == form::date) {
      const oci::date d = ora_literal_reader::date(literal);
      result.bytes = std::string(reinterpret_cast<const char*>(&d), sizeof d);
    } else {
      const std::u16string text = ora_literal_reader::text(literal);
      if (!text.empty()) result.bytes = std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    }
  } catch (const ora_exception&) {
    result.error = true;
  }
  return result;
}

// The direct path agrees with the literal path, or leaves the value to it.
// Returns whether the direct path took the value.
bool agrees(form kind, const ole_variant& value) {
  std::string direct = "stale bytes of an earlier value";
  const outcome got = ora_direct_value::write(kind, value, direct);
  if (got == outcome::literal) return false;
  const literal_result expected = through_literal(kind, value);
  EXPECT_FALSE(expected.error) << "the direct path took a value the literal path refuses";
  if (got == outcome::null) {
    EXPECT_FALSE(expected.bytes.has_value()) << "NULL where the literal path binds a value";
  } else {
    EXPECT_TRUE(expected.bytes.has_value()) << "a value where the literal path binds NULL";
    if (expected.bytes) {
      EXPECT_EQ(direct, *expected.bytes);
    }
  }
  return true;
}

ole_variant decimal(ole_uint128 magnitude, int scale, bool negative) {
  return ole_variant(ole_make_decimal(magnitude, scale, negative));
}

}  // namespace

TEST(OraDirectValue, IntegersOfEveryKindAtTheirEnds) {
  using limits64 = std::numeric_limits<long long>;
  for (long long v : {0LL, 1LL, -1LL, 7LL, 10LL, 99LL, 100LL, -100LL, 123456789LL, 2147483647LL, -2147483648LL,
                      1000000000000000000LL, limits64::max(), limits64::min()})
    EXPECT_TRUE(agrees(form::number, ole_variant(v))) << v;
  for (int v : {0, -1, 2147483647, -2147483647 - 1}) EXPECT_TRUE(agrees(form::number, ole_variant(v))) << v;
  for (short v : {short(0), short(-32768), short(32767)}) EXPECT_TRUE(agrees(form::number, ole_variant(v)));
  for (char v : {char(-128), char(0), char(127)}) EXPECT_TRUE(agrees(form::number, ole_variant(v)));
  for (unsigned v : {0u, 4294967295u}) EXPECT_TRUE(agrees(form::number, ole_variant(v)));
  EXPECT_TRUE(agrees(form::number, ole_variant(static_cast<unsigned char>(255))));
  EXPECT_TRUE(agrees(form::number, ole_variant(static_cast<unsigned short>(65535))));
  EXPECT_TRUE(agrees(form::number, ole_variant(true)));
  EXPECT_TRUE(agrees(form::number, ole_variant(false)));
}

TEST(OraDirectValue, DecimalsOfEveryScaleAndSign) {
  std::mt19937_64 random(21);
  const ole_uint128 widest = ole_decimal_limit;
  for (int scale = 0; scale <= 28; ++scale) {
    for (ole_uint128 magnitude : {ole_uint128(0), ole_uint128(1), ole_uint128(5), ole_uint128(1234567),
                                  ole_uint128(100000), widest, widest - 1}) {
      EXPECT_TRUE(agrees(form::number, decimal(magnitude, scale, false))) << scale;
      EXPECT_TRUE(agrees(form::number, decimal(magnitude, scale, true))) << scale;
    }
    for (int i = 0; i < 50; ++i) {
      const ole_uint128 magnitude = ((ole_uint128(random()) << 64) | random()) % (widest + 1);
      EXPECT_TRUE(agrees(form::number, decimal(magnitude, scale, i % 2 == 0))) << scale;
    }
  }
}

// Two-digit years, days that do not exist and times past the day's end are
// the literal path's: its printer and parser decide what they become.
TEST(OraDirectValue, DatesTakenDirectlyAreTheLiteralsDates) {
  // Hour, minute, second and millisecond: within the day and past it.
  static constexpr int times[][4] = {{0, 0, 0, 0},   {23, 59, 59, 0}, {0, 0, 0, 5},  {12, 30, 0, 999},
                                     {24, 0, 0, 0},  {10, 60, 0, 0},  {10, 0, 60, 0}, {1, 2, 3, 1000}};
  int taken = 0, left = 0;
  for (int year : {0, 1, 49, 50, 99, 100, 999, 1000, 1582, 1900, 1999, 2000, 2024, 2100, 9999})
    for (int month : {0, 1, 2, 12, 13})
      for (int day : {0, 1, 28, 29, 30, 31, 32})
        for (const int* time : times) {
          const SYSTEMTIME t = udb_time_of(year, month, day, time[0], time[1], time[2], time[3]);
          (agrees(form::date, ole_variant(t)) ? taken : left)++;
        }
  EXPECT_GT(taken, 300);  // the plain dates go straight
  EXPECT_GT(left, 300);
  EXPECT_TRUE(agrees(form::date, ole_variant(udb_time_of(2024, 2, 29, 13, 14, 15))));
  EXPECT_FALSE(agrees(form::date, ole_variant(udb_time_of(2023, 2, 29))));  // no such day: the literal path makes it NULL
  EXPECT_FALSE(agrees(form::date, ole_variant(udb_time_of(24, 2, 29))));    // printed as 2024
}

TEST(OraDirectValue, TextKeepsQuotesAndEmptyTextIsNull) {
  for (const char16_t* text : {u"plain", u"it's", u"''", u"'", u"\"\"", u"NULL", u"  padded  ", u"\u0416\u00e9\U0001F600",
                               u"a\u0000b"})
    EXPECT_TRUE(agrees(form::text, ole_variant(std::u16string(text)))) << "text";
  EXPECT_TRUE(agrees(form::text, ole_variant(std::u16string())));
  std::string out;
  EXPECT_EQ(ora_direct_value::write(form::text, ole_variant(std::u16string()), out), outcome::null);
}

// Kinds whose literal is more than their value's text stay on the literal
// path: doubles (shortest text, NaN and range checks), empty values, a
// number into a text column and text into a number or date column.
TEST(OraDirectValue, OtherPairingsTakeTheLiteralPath) {
  std::string out;
  EXPECT_EQ(ora_direct_value::write(form::number, ole_variant(2.5), out), outcome::literal);
  EXPECT_EQ(ora_direct_value::write(form::number, ole_variant(), out), outcome::literal);
  EXPECT_EQ(ora_direct_value::write(form::number, ole_variant(std::u16string(u"12")), out), outcome::literal);
  EXPECT_EQ(ora_direct_value::write(form::number, ole_variant(18446744073709551615ULL), out), outcome::literal);
  EXPECT_EQ(ora_direct_value::write(form::text, ole_variant(12), out), outcome::literal);
  EXPECT_EQ(ora_direct_value::write(form::date, ole_variant(std::u16string(u"2024-01-02")), out), outcome::literal);
  EXPECT_EQ(ora_direct_value::write(form::binary, ole_variant(std::u16string(u"ab")), out), outcome::literal);
  DECIMAL past_scale = ole_make_decimal(5, 0, false);
  past_scale.scale = 29;
  EXPECT_EQ(ora_direct_value::write(form::number, ole_variant(past_scale), out), outcome::literal);
}
