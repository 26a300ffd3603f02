// Decimal and currency conversions at their limits, and banker's rounding.
#include <gtest/gtest.h>

#include <string>

#include "ole_automation.hpp"

namespace {

std::u16string u(const std::string& s) { return std::u16string(s.begin(), s.end()); }
std::string n(const std::u16string& s) { return std::string(s.begin(), s.end()); }

// Text -> DECIMAL -> text, or the failure code.
std::string decimal_round_trip(const std::string& text) {
  DECIMAL d;
  HRESULT hr = VarDecFromStr(u(text), LCID_US_ENGLISH, 0, &d);
  if (FAILED(hr)) return hr == DISP_E_OVERFLOW ? "overflow" : "mismatch";
  std::u16string out;
  EXPECT_EQ(VarBstrFromDec(&d, LCID_US_ENGLISH, 0, &out), S_OK);
  return n(out);
}

std::string currency_round_trip(const std::string& text) {
  CY cy;
  HRESULT hr = VarCyFromStr(u(text), LCID_US_ENGLISH, 0, &cy);
  if (FAILED(hr)) return hr == DISP_E_OVERFLOW ? "overflow" : "mismatch";
  std::u16string out;
  EXPECT_EQ(VarBstrFromCy(cy, LCID_US_ENGLISH, 0, &out), S_OK);
  return n(out);
}

DECIMAL decimal(const std::string& text) {
  DECIMAL d;
  EXPECT_EQ(VarDecFromStr(u(text), LCID_US_ENGLISH, 0, &d), S_OK) << text;
  return d;
}

}  // namespace

TEST(OleDecimal, LimitsOfMagnitudeAndScale) {
  EXPECT_EQ(decimal_round_trip("79228162514264337593543950335"), "79228162514264337593543950335");
  EXPECT_EQ(decimal_round_trip("-79228162514264337593543950335"),
            "-79228162514264337593543950335");
  EXPECT_EQ(decimal_round_trip("79228162514264337593543950336"), "overflow");
  EXPECT_EQ(decimal_round_trip("1e29"), "overflow");
  EXPECT_EQ(decimal_round_trip("0.0000000000000000000000000001"), "0.0000000000000000000000000001");
  EXPECT_EQ(decimal(".0000000000000000000000000001").scale, 28);
  // 28 significant digits in the fraction, the most a scale of 28 keeps.
  EXPECT_EQ(decimal_round_trip("0.1234567890123456789012345678"), "0.1234567890123456789012345678");
  EXPECT_EQ(decimal_round_trip("7.9228162514264337593543950335"), "7.9228162514264337593543950335");
}

TEST(OleDecimal, ExcessDigitsRoundHalfToEven) {
  // Beyond scale 28 the last kept digit rounds half to even.
  EXPECT_EQ(decimal_round_trip("0.00000000000000000000000000005"), "0");
  EXPECT_EQ(decimal_round_trip("0.00000000000000000000000000015"), "0.0000000000000000000000000002");
  EXPECT_EQ(decimal_round_trip("0.000000000000000000000000000051"), "0.0000000000000000000000000001");
  // 29 digits with a fraction that no longer fits 96 bits lose scale, not value.
  EXPECT_EQ(decimal_round_trip("12345678901234567890.123456789"), "12345678901234567890.123456789");
  EXPECT_EQ(decimal_round_trip("123456789012345678901.234567895"), "123456789012345678901.2345679");
  EXPECT_EQ(decimal_round_trip("1e-40"), "0");
}

TEST(OleDecimal, NegativeZeroAndSignForms) {
  DECIMAL zero = decimal("-0");
  EXPECT_EQ(zero.Lo64, 0u);
  std::u16string text;
  VarBstrFromDec(&zero, LCID_US_ENGLISH, 0, &text);
  EXPECT_EQ(n(text), "0");
  double r = 1;
  VarR8FromDec(&zero, &r);
  EXPECT_EQ(r, 0.0);
  EXPECT_EQ(decimal_round_trip("(12.5)"), "-12.5");
  EXPECT_EQ(decimal_round_trip("12.5-"), "-12.5");
  EXPECT_EQ(decimal_round_trip(" +$1,234.50 "), "1234.5");
  EXPECT_EQ(decimal_round_trip("1.5E3"), "1500");
  EXPECT_EQ(decimal_round_trip("-2.5e-3"), "-0.0025");
}

TEST(OleDecimal, RefusesWhatIsNoUsNumber) {
  for (const char* text : {"", " ", "abc", "1.2.3", "12,5", "1,23", "--1", "(-1)", "1e", "1e+",
                           "0x10", "1 2", "(1", "1)", "12a"})
    EXPECT_EQ(decimal_round_trip(text), "mismatch") << text;
}

TEST(OleDecimal, ToIntegersRoundHalfToEven) {
  struct {
    const char* text;
    int expected;
  } cases[] = {{"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"-3.5", -4}, {"2.5000001", 3},
               {"0.5", 0}, {"1.49999", 1}, {"2147483647.4", 2147483647}};
  for (const auto& c : cases) {
    DECIMAL d = decimal(c.text);
    std::int32_t value = 0;
    EXPECT_EQ(VarI4FromDec(&d, &value), S_OK) << c.text;
    EXPECT_EQ(value, c.expected) << c.text;
  }
  std::int32_t value = 0;
  DECIMAL big = decimal("2147483647.5");
  EXPECT_EQ(VarI4FromDec(&big, &value), DISP_E_OVERFLOW);
  std::uint64_t u64 = 0;
  DECIMAL negative = decimal("-0.4");
  EXPECT_EQ(VarUI8FromDec(&negative, &u64), S_OK);
  EXPECT_EQ(u64, 0u);
  DECIMAL minus_one = decimal("-1");
  EXPECT_EQ(VarUI8FromDec(&minus_one, &u64), DISP_E_OVERFLOW);
  std::int64_t i64 = 0;
  DECIMAL lowest = decimal("-9223372036854775808");
  EXPECT_EQ(VarI8FromDec(&lowest, &i64), S_OK);
  EXPECT_EQ(i64, INT64_MIN);
}

TEST(OleCurrency, LimitsAndRounding) {
  EXPECT_EQ(currency_round_trip("922337203685477.5807"), "922337203685477.5807");
  EXPECT_EQ(currency_round_trip("-922337203685477.5808"), "-922337203685477.5808");
  EXPECT_EQ(currency_round_trip("922337203685477.5808"), "overflow");
  EXPECT_EQ(currency_round_trip("1e15"), "overflow");
  EXPECT_EQ(currency_round_trip("12.5"), "12.5");
  EXPECT_EQ(currency_round_trip("0.00005"), "0");       // half to even
  EXPECT_EQ(currency_round_trip("0.00015"), "0.0002");  // half to even
  EXPECT_EQ(currency_round_trip("0.000051"), "0.0001");
  CY cy;
  DECIMAL d = decimal("1.23455");
  ASSERT_EQ(VarCyFromDec(&d, &cy), S_OK);
  EXPECT_EQ(cy.int64, 12346);
  DECIMAL too_big = decimal("922337203685478");
  EXPECT_EQ(VarCyFromDec(&too_big, &cy), DISP_E_OVERFLOW);
  ASSERT_EQ(VarCyFromR8(0.00025, &cy), S_OK);
  EXPECT_EQ(cy.int64, 2);
  EXPECT_EQ(VarCyFromR8(1e300, &cy), DISP_E_OVERFLOW);
}

TEST(OleCurrency, DecimalRoundTripIsExact) {
  for (std::int64_t value : {INT64_MIN, INT64_MAX, std::int64_t{0}, std::int64_t{-1},
                             std::int64_t{125000}}) {
    DECIMAL d;
    VarDecFromCy(CY{value}, &d);
    CY back;
    ASSERT_EQ(VarCyFromDec(&d, &back), S_OK);
    EXPECT_EQ(back.int64, value);
  }
}

TEST(OleDecimal, FromAndToDouble) {
  DECIMAL d;
  ASSERT_EQ(VarDecFromR8(0.1, &d), S_OK);
  std::u16string text;
  VarBstrFromDec(&d, LCID_US_ENGLISH, 0, &text);
  EXPECT_EQ(n(text), "0.1");
  ASSERT_EQ(VarDecFromR8(-123456789.125, &d), S_OK);
  VarBstrFromDec(&d, LCID_US_ENGLISH, 0, &text);
  EXPECT_EQ(n(text), "-123456789.125");
  EXPECT_EQ(VarDecFromR8(1e30, &d), DISP_E_OVERFLOW);
  double r = 0;
  DECIMAL third = decimal("0.3333333333333333333333333333");
  VarR8FromDec(&third, &r);
  EXPECT_EQ(r, 1.0 / 3.0);
}
