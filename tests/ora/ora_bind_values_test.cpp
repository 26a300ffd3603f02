// The bind forms of the batch path: Oracle NUMBER bytes checked against the
// documented encodings, and the row-by-row literals read back into bind
// values.
#include <gtest/gtest.h>

#include <ctime>
#include <vector>

#include "ora_exception.hpp"
#include "ora_literal_reader.hpp"
#include "ora_number_bytes.hpp"

namespace {

// The bytes after the length byte, or {0xEE} when the text is refused.
std::vector<int> number(const char16_t* text) {
  const auto bytes = ora_number_bytes::from_text(text);
  if (!bytes) return {0xEE};
  return std::vector<int>(bytes->begin() + 1, bytes->begin() + 1 + (*bytes)[0]);
}

int ora_error(void (*call)()) {
  try {
    call();
  } catch (const ora_exception& e) {
    return e.ora_number();
  }
  return 0;
}

}  // namespace

TEST(OraNumberBytes, DocumentedEncodings) {
  EXPECT_EQ(number(u"0"), (std::vector<int>{0x80}));
  EXPECT_EQ(number(u"-0.000"), (std::vector<int>{0x80}));
  EXPECT_EQ(number(u"1"), (std::vector<int>{0xC1, 0x02}));
  EXPECT_EQ(number(u"-1"), (std::vector<int>{0x3E, 0x64, 0x66}));
  EXPECT_EQ(number(u"100"), (std::vector<int>{0xC2, 0x02}));
  EXPECT_EQ(number(u"+1e2"), (std::vector<int>{0xC2, 0x02}));
  EXPECT_EQ(number(u"0.5"), (std::vector<int>{0xC0, 0x33}));
  EXPECT_EQ(number(u".5"), (std::vector<int>{0xC0, 0x33}));
  EXPECT_EQ(number(u"-0.5"), (std::vector<int>{0x3F, 0x33, 0x66}));
  EXPECT_EQ(number(u"123.45"), (std::vector<int>{0xC2, 0x02, 0x18, 0x2E}));
  EXPECT_EQ(number(u"-123.45"), (std::vector<int>{0x3D, 0x64, 0x4E, 0x38, 0x66}));
  EXPECT_EQ(number(u"2.5000000000000000e+00"), (std::vector<int>{0xC1, 0x03, 0x33}));
  EXPECT_EQ(number(u"0.0012"), (std::vector<int>{0xBF, 0x0D}));
}

TEST(OraNumberBytes, ExponentsAtTheEndsOfTheRange) {
  EXPECT_EQ(number(u"9.9e125"), (std::vector<int>{0xFF, 0x64}));
  EXPECT_EQ(number(u"-9.9e125"), (std::vector<int>{0x00, 0x02, 0x66}));
  EXPECT_EQ(number(u"1e126"), (std::vector<int>{0xEE}));  // beyond NUMBER
  EXPECT_EQ(number(u"1e-130"), (std::vector<int>{0x80, 0x02}));  // the smallest, not zero
  EXPECT_EQ(number(u"-1e-130"), (std::vector<int>{0x7F, 0x64, 0x66}));
  EXPECT_EQ(number(u"1e-131"), (std::vector<int>{0x80}));  // below it: zero
}

TEST(OraNumberBytes, ThirtyEightDigitsAreKeptAndMoreAreRounded) {
  std::vector<int> digits = {0xD3};
  for (int pair : {12, 34, 56, 78, 90, 12, 34, 56, 78, 90, 12, 34, 56, 78, 90, 12, 34, 56, 78}) digits.push_back(pair + 1);
  EXPECT_EQ(number(u"12345678901234567890123456789012345678"), digits);
  // Twenty pairs of a negative number leave no room for the closing 102.
  const auto negative = number(u"-1234567890123456789012345678901234567890");
  EXPECT_EQ(negative.size(), 21u);
  EXPECT_NE(negative.back(), 0x66);
  // Past forty digits the rest rounds half away from zero, carrying through.
  EXPECT_EQ(number(u"0.99999999999999999999999999999999999999999"), (std::vector<int>{0xC1, 0x02}));
  EXPECT_EQ(number(u"-0.99999999999999999999999999999999999999999"), (std::vector<int>{0x3E, 0x64, 0x66}));
  EXPECT_EQ(number(u"1.00000000000000000000000000000000000000049"), (std::vector<int>{0xC1, 0x02}));
}

TEST(OraNumberBytes, TextThatIsNoNumberIsRefused) {
  for (const char16_t* text : {u"", u"-", u".", u"1e", u"1e 5", u"1e+", u"abc", u"1.2.3", u"1,5", u" 1", u"1 ",
                               u"0x10", u"1e5000"}) {
    SCOPED_TRACE(std::string(text, text + std::char_traits<char16_t>::length(text)));
    EXPECT_EQ(number(text), (std::vector<int>{0xEE}));
  }
}

TEST(OraLiteralReader, NullsNumbersAndText) {
  EXPECT_TRUE(ora_literal_reader::is_null(u"NULL"));
  EXPECT_TRUE(ora_literal_reader::is_null(u""));
  EXPECT_TRUE(ora_literal_reader::is_null(u"''"));
  EXPECT_FALSE(ora_literal_reader::is_null(u"' '"));
  EXPECT_FALSE(ora_literal_reader::is_null(u"0"));
  // A number from a text field arrives quoted, as the literal insert lets
  // Oracle convert it.
  EXPECT_EQ(ora_literal_reader::number(u"'12.5'"), ora_literal_reader::number(u"12.5"));
  EXPECT_EQ(ora_error([] { ora_literal_reader::number(u"'twelve'"); }), 1722);
  EXPECT_EQ(ora_literal_reader::text(u"'it''s ''x'''"), u"it's 'x'");
  EXPECT_EQ(ora_literal_reader::text(u"'a'"), u"a");
  EXPECT_EQ(ora_literal_reader::text(u"42"), u"42");
}

TEST(OraLiteralReader, DatesOfEveryLiteralForm) {
  oci::date d = ora_literal_reader::date(u"to_date('2021-05-06 07:08:09', 'YYYY-MM-DD HH24:MI:SS')");
  EXPECT_EQ(d.year, 2021);
  EXPECT_EQ(d.month, 5);
  EXPECT_EQ(d.day, 6);
  EXPECT_EQ(d.hour, 7);
  EXPECT_EQ(d.minute, 8);
  EXPECT_EQ(d.second, 9);
  d = ora_literal_reader::date(u"to_date('1899-12-30', 'YYYY-MM-DD')");
  EXPECT_EQ(d.year, 1899);
  EXPECT_EQ(d.month, 12);
  EXPECT_EQ(d.day, 30);
  EXPECT_EQ(d.hour + d.minute + d.second, 0);
  // A time alone falls on the first day of the current month, as to_date does.
  d = ora_literal_reader::date(u"to_date('23:59:58', 'HH24-MI-SS')");
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(d.year, local.tm_year + 1900);
  EXPECT_EQ(d.month, local.tm_mon + 1);
  EXPECT_EQ(d.day, 1);
  EXPECT_EQ(d.hour, 23);
  EXPECT_EQ(d.second, 58);
  for (void (*bad)() : {+[] { ora_literal_reader::date(u"to_date('2021-13-01', 'YYYY-MM-DD')"); },
                        +[] { ora_literal_reader::date(u"to_date('2021-05-06 24:00:00', 'YYYY-MM-DD HH24:MI:SS')"); },
                        +[] { ora_literal_reader::date(u"to_date('2021-05-06 07:08', 'YYYY-MM-DD HH24:MI:SS')"); },
                        +[] { ora_literal_reader::date(u"SYSDATE"); }})
    EXPECT_EQ(ora_error(bad), 1858);
}

TEST(OraLiteralReader, BinaryFromQuotedHexAndHextoraw) {
  EXPECT_EQ(ora_literal_reader::binary(u"'0A1b'"), (std::vector<std::uint8_t>{0x0A, 0x1B}));
  EXPECT_EQ(ora_literal_reader::binary(u"HEXTORAW('00FF')"), (std::vector<std::uint8_t>{0x00, 0xFF}));
  // An odd count of digits reads with a leading zero, as Oracle does.
  EXPECT_EQ(ora_literal_reader::binary(u"'ABC'"), (std::vector<std::uint8_t>{0x0A, 0xBC}));
  EXPECT_EQ(ora_error([] { ora_literal_reader::binary(u"'0G'"); }), 1465);
}
