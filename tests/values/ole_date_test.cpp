#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ole_date.hpp"
#include "ole_guid_extractor.hpp"
#include "ole_us_date_parser.hpp"
#include "tk_mail_assertion.hpp"

namespace {

std::string parsed(const std::string& text, bool with_milliseconds = true) {
  ole_date d(text);
  return d.is_valid() ? d.to_string(with_milliseconds) : "invalid";
}

std::string us_parsed(const std::u16string& text) {
  SYSTEMTIME st;
  if (!ole_us_date_parser(text).parse(&st)) return "refused";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay,
                st.wHour, st.wMinute, st.wSecond);
  return buf;
}

}  // namespace

TEST(OleDate, TimestampsWithoutSeparators) {
  ole_date full("20241231235958");
  EXPECT_EQ(full.type, ole_date::date_and_time);
  EXPECT_EQ(full.to_string(), "2024-12-31 23:59:58");
  ole_date day("20241231");
  EXPECT_EQ(day.type, ole_date::date_only);
  EXPECT_EQ(day.to_string(), "2024-12-31");
  EXPECT_EQ(parsed("20241331"), "invalid");
}

TEST(OleDate, SeparatedDatesAndMilliseconds) {
  ole_date d("2024-12-31");
  EXPECT_EQ(d.type, ole_date::date_only);
  EXPECT_EQ(d.to_string(), "2024-12-31");
  ole_date t("2024-12-31 10:20:30.5");
  EXPECT_EQ(t.type, ole_date::date_and_time);
  EXPECT_EQ(t.st.wMilliseconds, 500);
  EXPECT_EQ(t.to_string(true), "2024-12-31 10:20:30.500");
  EXPECT_EQ(t.to_string(false), "2024-12-31 10:20:30");
  // Three digits, so a value printed and read again keeps its milliseconds.
  EXPECT_EQ(parsed("2024-12-31 10:20:30.005"), "2024-12-31 10:20:30.005");
  EXPECT_EQ(parsed("2024-12-31 10:20:30.123"), "2024-12-31 10:20:30.123");
  EXPECT_EQ(parsed("2024/12/31 10:20:30.25"), "2024-12-31 10:20:30.250");
  EXPECT_EQ(parsed(parsed("1999-01-02 03:04:05.067")), "1999-01-02 03:04:05.067");
}

TEST(OleDate, TimesAlone) {
  ole_date t("10:20:30");
  EXPECT_EQ(t.type, ole_date::time_only);
  EXPECT_EQ(t.to_string(), "0000-00-00 10:20:30");
  EXPECT_EQ(parsed("10:20"), "0000-00-00 10:20:00");
  EXPECT_EQ(parsed("10:20:30.75", false), "0000-00-00 10:20:30.750");
  EXPECT_EQ(parsed("10:20:99"), "invalid");
  EXPECT_EQ(parsed("60:00:00"), "0000-00-00 60:00:00");  // hours up to 60 pass
  EXPECT_EQ(parsed("61:00:00"), "invalid");
}

TEST(OleDate, DayFirstDatesAreSwapped) {
  EXPECT_EQ(parsed("31.12.2024"), "2024-12-31");
  EXPECT_EQ(parsed("31.12.2024 08:15:00"), "2024-12-31 08:15:00");
  EXPECT_EQ(parsed("31.02.2024"), "invalid");  // no such day once swapped
  EXPECT_EQ(parsed("2024-02-30"), "invalid");
  EXPECT_EQ(parsed("2024-02-29"), "2024-02-29");
  EXPECT_EQ(parsed("2023-02-29"), "invalid");
}

TEST(OleDate, AmAndPm) {
  EXPECT_EQ(ole_date("2024-12-31 03:00 PM").st.wHour, 15);
  EXPECT_EQ(ole_date("2024-12-31 12:00 AM").st.wHour, 12);
  EXPECT_EQ(ole_date("2024-12-31 12:00 PM").st.wHour, 12);
  EXPECT_EQ(parsed("12/31/2024 11:59:59 pm"), "2024-12-31 23:59:59");
  EXPECT_EQ(parsed("10:20 pm"), "0000-00-00 22:20:00");
}

TEST(OleDate, RefusedTexts) {
  for (const char* text : {"1/2", "", "    ", "abcdefgh", "2024-13-01", "-1-12-31",
                           "70000-01-01", "99999999999999", "0000-00-00"})
    EXPECT_EQ(parsed(text), "invalid") << text;
}

TEST(OleDate, PrintingWidensShortYearsAndMidnight) {
  EXPECT_EQ(ole_date(SYSTEMTIME{24, 3, 0, 5, 0, 0, 0, 0}).to_string(), "2024-03-05");
  EXPECT_EQ(ole_date(SYSTEMTIME{60, 3, 0, 5, 1, 2, 3, 0}).to_string(), "1960-03-05 01:02:03");
  ole_date midnight(SYSTEMTIME{2024, 3, 0, 5, 0, 0, 0, 0});
  EXPECT_EQ(midnight.type, ole_date::date_only);
  midnight.type = ole_date::date_and_time;
  EXPECT_EQ(midnight.to_string(), "2024-03-05");
  midnight.date_only_at_midnight = false;
  EXPECT_EQ(midnight.to_string(), "2024-03-05 00:00:00");
  ole_date time(SYSTEMTIME{0, 0, 0, 0, 7, 8, 9, 0});
  EXPECT_EQ(time.type, ole_date::time_only);
  EXPECT_EQ(time.to_variant().to_string(), "0000-00-00 07:08:09");
}

TEST(OleDate, MonthThirteenAndHourSixty) {
  ole_date d(SYSTEMTIME{2024, 13, 0, 1, 0, 0, 0, 0});
  EXPECT_FALSE(d.is_valid());
  ole_date h(SYSTEMTIME{2024, 1, 0, 1, 60, 0, 0, 0});
  EXPECT_TRUE(h.is_valid());
}

TEST(OleDate, ProcessMillisecondsNeedsText) {
  ole_date d(SYSTEMTIME{2024, 1, 0, 1, 0, 0, 0, 0});
  EXPECT_THROW(d.process_milliseconds(nullptr), tk_mail_assertion);
  d.process_milliseconds("05.250");
  EXPECT_EQ(d.st.wSecond, 5);
  EXPECT_EQ(d.st.wMilliseconds, 250);
  d.process_milliseconds("1e9");
  EXPECT_FALSE(d.is_valid());
}

TEST(OleUsDateParser, AcceptedShapes) {
  struct {
    const char16_t* text;
    const char* expected;
  } cases[] = {
      {u"12/31/2024", "2024-12-31 00:00:00"},
      {u"1/2/2024", "2024-01-02 00:00:00"},
      {u"1/2/24", "2024-01-02 00:00:00"},
      {u"1/2/30", "1930-01-02 00:00:00"},
      {u"12-31-2024", "2024-12-31 00:00:00"},
      {u"31/12/2024", "2024-12-31 00:00:00"},  // only a date day first
      {u"12/31/2024 10:20", "2024-12-31 10:20:00"},
      {u"12/31/2024 10:20:30 PM", "2024-12-31 22:20:30"},
      {u"12/31/2024 12:05 am", "2024-12-31 00:05:00"},
      {u"2024-12-31", "2024-12-31 00:00:00"},
      {u"2024/1/5 7:08:09", "2024-01-05 07:08:09"},
      {u"2024-12-31T23:59:59", "2024-12-31 23:59:59"},
      {u"31-Dec-2024", "2024-12-31 00:00:00"},
      {u"31-DEC-24", "2024-12-31 00:00:00"},
      {u"31 December 2024 8:00 AM", "2024-12-31 08:00:00"},
      {u"Dec 31 2024", "2024-12-31 00:00:00"},
      {u"December 31, 2024", "2024-12-31 00:00:00"},
      {u"Sept. 3, 2024", "2024-09-03 00:00:00"},
      {u"Tuesday, December 31, 2024 10:00", "2024-12-31 10:00:00"},
      {u"  2/29/2024  ", "2024-02-29 00:00:00"},
      {u"1/1/0100", "0100-01-01 00:00:00"},
      {u"12/31/9999 23:59:59", "9999-12-31 23:59:59"},
  };
  for (const auto& c : cases) EXPECT_EQ(us_parsed(c.text), c.expected);
}

TEST(OleUsDateParser, RefusedShapes) {
  for (const char16_t* text :
       {u"", u"10:20:30", u"12/31", u"Dec 2024", u"2/30/2024", u"13/13/2024", u"12/31/2024 24:00",
        u"12/31/2024 10:60", u"12/31/2024 13:00 PM", u"12/31/2024 10:20:30.5", u"31.12.2024",
        u"12/31-2024", u"12/31/202", u"1/1/0099", u"1/1/10000", u"31-Foo-2024",
        u"12/31/2024 garbage", u"2024-12-31T", u"Dec 31 2024 10", u"123/1/2024"})
    EXPECT_EQ(us_parsed(text), "refused") << std::string(text, text + std::char_traits<char16_t>::length(text));
}

TEST(OleDate, UsShapesReachTheDateValue) {
  EXPECT_EQ(parsed("31-Dec-2024"), "2024-12-31");
  EXPECT_EQ(parsed("December 31, 2024 5:30 PM"), "2024-12-31 17:30:00");
  EXPECT_EQ(parsed("12/31/2024 10:20"), "2024-12-31 10:20:00");
  EXPECT_EQ(ole_variant::from_string("1/2/2024", VT_DATE).to_string(), "2024-01-02");
  EXPECT_EQ(ole_variant::from_string("nonsense", VT_DATE).get_type(), VT_EMPTY);
}

TEST(OleDateTime, SystemTimeRoundTripsAcrossTheRange) {
  for (int year = 100; year <= 9999; year += 37) {
    for (int month : {1, 2, 6, 12}) {
      SYSTEMTIME st{static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month), 0, 28,
                    23, 59, 58, 999};
      DATE date = 0;
      ASSERT_TRUE(SystemTimeToVariantTime(&st, &date)) << year;
      SYSTEMTIME back;
      ASSERT_TRUE(VariantTimeToSystemTime(date, &back)) << year;
      EXPECT_EQ(back.wYear, year);
      EXPECT_EQ(back.wMonth, month);
      EXPECT_EQ(back.wDay, 28);
      EXPECT_EQ(back.wHour, 23);
      EXPECT_EQ(back.wMinute, 59);
      EXPECT_EQ(back.wSecond, 58);  // the OLE date holds whole seconds
      EXPECT_EQ(back.wMilliseconds, 0);
      // The variant keeps the milliseconds beside the OLE date.
      EXPECT_EQ(ole_variant(st).to_string().substr(19), ".999");
    }
  }
}

TEST(OleDateTime, KnownDatesAndLimits) {
  DATE d = 0;
  SYSTEMTIME epoch{1899, 12, 0, 30, 0, 0, 0, 0};
  ASSERT_TRUE(SystemTimeToVariantTime(&epoch, &d));
  EXPECT_EQ(d, 0.0);
  SYSTEMTIME before{1899, 12, 0, 29, 6, 0, 0, 0};
  ASSERT_TRUE(SystemTimeToVariantTime(&before, &d));
  EXPECT_EQ(d, -1.25);
  SYSTEMTIME back;
  ASSERT_TRUE(VariantTimeToSystemTime(-1.25, &back));
  EXPECT_EQ(back.wDay, 29);
  EXPECT_EQ(back.wHour, 6);
  SYSTEMTIME first{100, 1, 0, 1, 12, 0, 0, 0};
  ASSERT_TRUE(SystemTimeToVariantTime(&first, &d));
  EXPECT_EQ(d, -657434.5);
  SYSTEMTIME y2k{2000, 1, 0, 1, 0, 0, 0, 0};
  ASSERT_TRUE(SystemTimeToVariantTime(&y2k, &d));
  EXPECT_EQ(d, 36526.0);
  ASSERT_TRUE(VariantTimeToSystemTime(36526.0, &back));
  EXPECT_EQ(back.wDayOfWeek, 6);  // a Saturday
  SYSTEMTIME month13{2000, 13, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToVariantTime(&month13, &d));
  SYSTEMTIME too_late{10000, 1, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToVariantTime(&too_late, &d));
  EXPECT_FALSE(VariantTimeToSystemTime(-657435.0, &back));
  EXPECT_FALSE(VariantTimeToSystemTime(2958466.0, &back));
  EXPECT_FALSE(VariantTimeToSystemTime(std::nan(""), &back));
  // 0.4 s before midnight rounds to the next day.
  ASSERT_TRUE(VariantTimeToSystemTime(36526.0 - 0.4 / 86400, &back));
  EXPECT_EQ(back.wYear, 2000);
  EXPECT_EQ(back.wHour, 0);
}

TEST(OleGuidExtractor, FindsTheBracedGuidAfterTheWord) {
  std::string text = "Package guid = {0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9} end";
  EXPECT_EQ(ole_guid_extractor(text).extract(), u"0A1B2C3D4E5F60718293A4B5C6D7E8F9");
  std::string upper = "OLE GUID: {00000000-0000-0000-C000-000000000046}    ";
  EXPECT_EQ(ole_guid_extractor(upper).extract(), u"0000000000000000C000000000000046");
}

TEST(OleGuidExtractor, NoGuid) {
  EXPECT_FALSE(ole_guid_extractor("guid {0A1B2C3D-4E5F-6071-8293-A4B5C6D7}").is_valid());
  EXPECT_FALSE(ole_guid_extractor(std::string(50, 'x')).is_valid());
  // The brace near the end: the digits would run past the text.
  std::string near_end = std::string(40, ' ') + "guid {0A1B2C3D";
  EXPECT_FALSE(ole_guid_extractor(near_end).is_valid());
  EXPECT_EQ(ole_guid_extractor(near_end).extract(), u"");
  std::string not_hex = "guid {0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8FZ} and more text";
  EXPECT_FALSE(ole_guid_extractor(not_hex).is_valid());
  std::string no_brace = "guid 0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9 and more text here";
  EXPECT_FALSE(ole_guid_extractor(no_brace).is_valid());
}
