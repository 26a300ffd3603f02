#include "tk_real_text.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "comma_decimal_locale.hpp"
#include "tk_format.hpp"

namespace {

const std::vector<double>& values() {
  static const std::vector<double> list = {
      0.0, -0.0, 1.0, 2.5, -2.5, 0.5, 1.5, 0.1, 1.0 / 3, 123456789.0, 1e-5, 1e-4, 0.000123456,
      9.9999995, 999999.5, 1e15, 1e16, 123456789012345678.0, 1e300, -1e-300, DBL_MAX, DBL_MIN,
      std::numeric_limits<double>::denorm_min(), 4.9406564584124654e-320,
      std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()};
  return list;
}

std::string printf_text(double value, char conversion, int precision, const std::string& flags, int width) {
  std::string format = "%" + flags;
  if (width >= 0) format += std::to_string(width);
  if (precision >= 0) format += "." + std::to_string(precision);
  format += conversion;
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format.c_str(), value);
  return buffer;
}

// Every mismatch against printf in the "C" locale, the first ones spelled out.
std::vector<std::string> differences_from_printf(const std::string& conversions) {
  std::vector<std::string> differences;
  for (double value : values())
    for (char conversion : conversions)
      for (int precision : {-1, 0, 1, 2, 6, 16, 17})
        for (const char* flags : {"", "+", " ", "#", "0", "-", "+0", "#0", "- "})
          for (int width : {-1, 0, 15, 40}) {
            // glibc 2.36 drops the zeros %#g keeps when rounding carries into
            // a new power of ten ("1.e+06" for 999999.5); see the test below.
            if (value == 999999.5 && std::strchr(flags, '#') && (conversion == 'g' || conversion == 'G')) continue;
#ifdef _WIN32
            // The Windows runtime drops the sign of a NaN; ours keeps it as
            // glibc does, so that both builds write the same text (below).
            if (std::isnan(value) && std::signbit(value)) continue;
#endif
            const std::string expected = printf_text(value, conversion, precision, flags, width);
            const std::string actual = tk_real_text(value, conversion, precision, flags, width);
            if (expected != actual)
              differences.push_back(printf_text(value, 'a', -1, "", -1) + " as %" + flags +
                                    std::to_string(width) + "." + std::to_string(precision) + conversion +
                                    ": printf '" + expected + "', ours '" + actual + "'");
          }
  return differences;
}

TEST(TkRealText, WritesWhatPrintfWritesInTheCLocale) {
  const auto differences = differences_from_printf("fFeEgG");
  for (const auto& d : differences) ADD_FAILURE() << d;
}

TEST(TkRealText, NegativeNanKeepsItsSignOnEveryPlatform) {
  const double negative_nan = -std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(tk_real_text(negative_nan, 'f', -1, "", 6), "  -nan");
  EXPECT_EQ(tk_real_text(negative_nan, 'G', -1, "+"), "-NAN");
}

TEST(TkRealText, AlternativeGeneralFormKeepsItsZerosAfterACarry) {
  // The C standard: %#g keeps trailing zeros, also when 999999.5 rounds up to 1e6.
  EXPECT_EQ(tk_real_text(999999.5, 'g', -1, "#"), "1.00000e+06");
  EXPECT_EQ(tk_real_text(9.96, 'G', 2, "#"), "10.");
  EXPECT_EQ(tk_real_text(0.5, 'g', 0, "#"), "0.5");
}

TEST(TkRealText, HexadecimalOfNormalNumbersAsPrintf) {
  std::vector<std::string> differences;
  for (double value : {0.0, 1.0, -2.5, 0.1, 1e300, DBL_MAX, DBL_MIN})
    for (const char* flags : {"", "+", "#", "0"})
      for (int width : {-1, 30})
        for (char conversion : {'a', 'A'}) {
          const std::string expected = printf_text(value, conversion, -1, flags, width);
          const std::string actual = tk_real_text(value, conversion, -1, flags, width);
          if (expected != actual) differences.push_back(expected + " / " + actual);
        }
  EXPECT_TRUE(differences.empty()) << differences.front();
}

TEST(TkRealText, ReadsWhatStrtodReadsInTheCLocale) {
  for (const char* text :
       {"2.5", "  -2.5e3xyz", "+.5", ".", "-", "+", "1e", "1e+", "1.5e-3  ", "00012", "1,5", "", "   ",
        "+-1", "-+1", "0x1p3", "0X1.8P1", "-0x.8", "0x", "0xg", "0x1p", "inf", "-Infinity", "INFINITE",
        "nan", "nan(123)", "NaN(", "1e400", "-1e400", "1e-400", "-1e-400", "4.9e-324", "2.4e-324",
        "1e-310", "0.0000000000000000000000000000001e-300", "1000000000000000000000e-30", "0x1p-1080",
        "0x1p99999", "\t\n7", "12abc", "1.7976931348623157e308", "1.7976931348623159e308"}) {
    SCOPED_TRACE(std::string("\"") + text + "\"");
    char* end = nullptr;
    const double expected = std::strtod(text, &end);
    double actual = 1234;
    EXPECT_EQ(tk_read_real(text, &actual), static_cast<std::size_t>(end - text));
    if (end == text) {
      // Nothing read is zero; the Windows runtime gives -0 after "-+".
      EXPECT_EQ(actual, 0.0);
      EXPECT_FALSE(std::signbit(actual));
      continue;
    }
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(actual));
      EXPECT_EQ(std::signbit(actual), std::signbit(expected));
    } else {
      EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << actual << " != " << expected;
    }
  }
}

TEST(LocaleRealText, NumberTextKeepsItsPointUnderACommaDecimalLocale) {
  comma_decimal_locale german;
  ASSERT_TRUE(german.active()) << comma_decimal_locale::missing;
  ASSERT_EQ(printf_text(2.5, 'g', -1, "", -1), "2,5");  // the locale took effect

  EXPECT_EQ(tk_real_text(2.5, 'e', 16), "2.5000000000000000e+00");
  EXPECT_EQ(tk_format("%.16e|%f|%G|%8.2f", 2.5, -0.125, 1e-7, 3.14159), "2.5000000000000000e+00|-0.125000|1E-07|    3.14");
  double value = 0;
  EXPECT_EQ(tk_read_real("2.5", &value), 3u);
  EXPECT_EQ(value, 2.5);
  EXPECT_EQ(tk_read_real("2,5", &value), 1u);  // as in the C locale: the comma ends the number
  EXPECT_EQ(value, 2.0);
}

}  // namespace
