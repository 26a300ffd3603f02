// Oracle NUMBER bytes, the bind form of numbers, checked against the
// documented encodings, and their text for the row-by-row literals.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "ora_number_bytes.hpp"

namespace {

// The bytes after the length byte, or {0xEE} when the text is refused.
std::vector<int> number(const char16_t* text) {
  const auto bytes = ora_number_bytes::from_text(text);
  if (!bytes) return {0xEE};
  return std::vector<int>(bytes->begin() + 1, bytes->begin() + 1 + (*bytes)[0]);
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

// The row-by-row insert writes a number cell's literal from its bytes: the
// text reads back as the same bytes, in plain digits with a point.
TEST(OraNumberBytes, TextOfTheBytesReadsBackAsThem) {
  for (const char16_t* text :
       {u"0", u"1", u"-1", u"100", u"0.5", u"-0.5", u"123.45", u"-123.45", u"0.0012", u"1e-130", u"-1e-130",
        u"9.9e125", u"-9.9e125", u"12345678901234567890123456789012345678", u"-1234567890123456789012345678901234567890",
        u"0.99999999999999999999999999999999999999999", u"1000000", u"-0.000001", u"79228162514264337593543950335"}) {
    SCOPED_TRACE(std::string(text, text + std::char_traits<char16_t>::length(text)));
    const auto bytes = ora_number_bytes::from_text(text);
    ASSERT_TRUE(bytes);
    const std::string_view held(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    const std::u16string printed = ora_number_bytes::to_text(held);
    EXPECT_EQ(printed.find_first_of(u"eE,"), std::u16string::npos);
    const auto again = ora_number_bytes::from_text(printed);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *bytes);
  }
  auto printed = [](const char16_t* text) {
    const auto bytes = ora_number_bytes::from_text(text);
    return ora_number_bytes::to_text(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  };
  EXPECT_EQ(printed(u"-123.45"), u"-123.45");
  EXPECT_EQ(printed(u".5"), u"0.5");
  EXPECT_EQ(printed(u"2.5000000000000000e+00"), u"2.5");
  EXPECT_EQ(printed(u"1e3"), u"1000");
  EXPECT_EQ(printed(u"-0.000"), u"0");
  EXPECT_EQ(printed(u"0.0012"), u"0.0012");
}
