#include <gtest/gtest.h>

#include "emu_datetime.hpp"
#include "emu_error.hpp"
#include "emu_number.hpp"
#include "emu_rowid.hpp"

namespace ociemu_test {

using ociemu::emu_datetime;
using ociemu::emu_error;
using ociemu::emu_number;
using ociemu::emu_rowid;

std::string text_of(const char* input) { return emu_number::parse(std::string_view(input))->to_text(); }

TEST(number_test, PrintsAsOraclePrints) {
  EXPECT_EQ(text_of("0.5"), ".5");
  EXPECT_EQ(text_of("-0.50"), "-.5");
  EXPECT_EQ(text_of("100"), "100");
  EXPECT_EQ(text_of("1.2300"), "1.23");
  EXPECT_EQ(text_of("1e3"), "1000");
  EXPECT_EQ(text_of("  +7  "), "7");
  EXPECT_EQ(text_of("-0"), "0");
  EXPECT_EQ(text_of("1e50"), "1E+50");
  EXPECT_EQ(emu_number::from_double(0.1).to_text(), ".1");
  EXPECT_EQ(emu_number::from_int64(INT64_MIN).to_text(), "-9223372036854775808");
}

TEST(number_test, RefusesWhatIsNoNumber) {
  for (const char* bad : {"", " ", "1.2.3", "1e", "abc", "1,5", "--1", "."})
    EXPECT_FALSE(emu_number::parse(std::string_view(bad)).has_value()) << bad;
}

TEST(number_test, RoundsHalfAwayFromZero) {
  const auto r = [](const char* v, int scale) {
    return emu_number::parse(std::string_view(v))->rounded_to_scale(scale).to_text();
  };
  EXPECT_EQ(r("2.5", 0), "3");
  EXPECT_EQ(r("-2.5", 0), "-3");
  EXPECT_EQ(r("9.995", 2), "10");
  EXPECT_EQ(r("1234", -2), "1200");
  EXPECT_EQ(r("0.004", 2), "0");
  EXPECT_EQ(r("0.005", 2), ".01");
  EXPECT_EQ(emu_number::parse(std::string_view("999.5"))->rounded_to_scale(0).integer_digits(), 4);
}

TEST(datetime_test, ParsesFormatsAndReportsOracleErrors) {
  const auto d = emu_datetime::parse(u"2020-02-29 23:59:58", u"YYYY-MM-DD HH24:MI:SS");
  EXPECT_EQ(d.to_storage(0), "2020-02-29 23:59:58");
  EXPECT_EQ(emu_datetime::parse(u"2020/1/2", u"YYYY-MM-DD").to_storage(0), "2020-01-02 00:00:00");
  EXPECT_EQ(emu_datetime::parse(u"05-JAN-2021", u"DD-MON-YYYY").to_storage(0), "2021-01-05 00:00:00");
  const auto code = [](const char16_t* text, const char16_t* format) {
    try {
      emu_datetime::parse(text, format);
    } catch (const emu_error& e) {
      return e.code();
    }
    return 0;
  };
  EXPECT_EQ(code(u"2019-02-29", u"YYYY-MM-DD"), 1847);
  EXPECT_EQ(code(u"2019-00-01", u"YYYY-MM-DD"), 1843);
  EXPECT_EQ(code(u"2019-01", u"YYYY-MM-DD"), 1840);
  EXPECT_EQ(code(u"2019-01-01 12", u"YYYY-MM-DD"), 1830);
  EXPECT_EQ(code(u"0000-01-01", u"YYYY-MM-DD"), 1841);
  EXPECT_EQ(code(u"10-60-00", u"HH24-MI-SS"), 1851);
  EXPECT_EQ(code(u"ab-01-01", u"YYYY-MM-DD"), 1858);
  EXPECT_EQ(code(u"05-XYZ-2021", u"DD-MON-YYYY"), 1843);
}

TEST(datetime_test, StorageTextKeepsTheFraction) {
  const auto d = emu_datetime::from_storage("2001-02-03 04:05:06.123456");
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->nanosecond, 123456000u);
  EXPECT_EQ(d->with_fraction_digits(3).to_storage(3), "2001-02-03 04:05:06.123");
  EXPECT_EQ(d->to_timestamp_text(6), "03-FEB-01 04.05.06.123456 AM");
  EXPECT_FALSE(emu_datetime::from_storage("2001-02-30 00:00:00").has_value());
}

// The second's fraction of a TIMESTAMP literal or TO_TIMESTAMP: up to nine
// digits (FF) or n (FFn), optional at the end; TO_DATE has no such element.
TEST(datetime_test, TimestampsReadTheFractionAsOracleDocumentsIt) {
  const auto stamp = [](const char16_t* text, const char16_t* format = u"YYYY-MM-DD HH24:MI:SS.FF") {
    return emu_datetime::parse(text, format, true);
  };
  EXPECT_EQ(stamp(u"2024-05-06 12:34:56.789").nanosecond, 789000000u);
  EXPECT_EQ(stamp(u"9999-12-31 23:59:59.999999999").nanosecond, 999999999u);
  EXPECT_EQ(stamp(u"2024-05-06 12:34:56.5").to_storage(3), "2024-05-06 12:34:56.500");
  EXPECT_EQ(stamp(u"2024-05-06 12:34:56").nanosecond, 0u);
  const auto code = [](const char16_t* text, const char16_t* format, bool fractions) {
    try {
      emu_datetime::parse(text, format, fractions);
    } catch (const emu_error& e) {
      return e.code();
    }
    return 0;
  };
  EXPECT_EQ(code(u"2024-05-06 12:34:56.1234567890", u"YYYY-MM-DD HH24:MI:SS.FF", true), 1830);
  EXPECT_EQ(code(u"2024-05-06 12:34:56.1234", u"YYYY-MM-DD HH24:MI:SS.FF3", true), 1830);
  EXPECT_EQ(code(u"2024-05-06 12:34:56.x", u"YYYY-MM-DD HH24:MI:SS.FF", true), 1858);
  EXPECT_EQ(code(u"2024-05-06 12:34:56.789", u"YYYY-MM-DD HH24:MI:SS.FF", false), 1821);
  EXPECT_EQ(code(u"2024-05-06 12:34:56.789", u"YYYY-MM-DD HH24:MI:SS", true), 1830);
}

TEST(rowid_test, EncodesEighteenBase64Characters) {
  const emu_rowid r{74562, 3 * 65536 + 17};
  const std::string text = r.to_text();
  EXPECT_EQ(text.size(), 18u);
  EXPECT_EQ(text, "AAASNCAAEAAAAADAAR");
  const auto back = emu_rowid::parse(text);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->object_id, r.object_id);
  EXPECT_EQ(back->row, r.row);
  EXPECT_FALSE(emu_rowid::parse("AAASNCAAEAAAAADAA!").has_value());
  EXPECT_FALSE(emu_rowid::parse("short").has_value());
}

}  // namespace ociemu_test
