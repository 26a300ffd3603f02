#include <gtest/gtest.h>

#include "tk_format.hpp"

TEST(TkFormat, NumbersFollowPrintfIncludingMicrosoftLengths) {
  EXPECT_EQ(tk_format("%d|%5d|%-4d|%05d", 42, 7, 3, -12), "42|    7|3   |-0012");
  EXPECT_EQ(tk_format("%I64d %I64u", -9223372036854775807LL - 1, 18446744073709551615ULL),
            "-9223372036854775808 18446744073709551615");
  EXPECT_EQ(tk_format("%02X%02x", 0xAB, 0x0c), "AB0c");
  EXPECT_EQ(tk_format("%08X", -1), "FFFFFFFF");  // a 32-bit value keeps its width
  EXPECT_EQ(tk_format("%x", static_cast<short>(-2)), "fffe");
  EXPECT_EQ(tk_format("%.2f %.6e %g", 3.14159, 12345.678, 0.5), "3.14 1.234568e+04 0.5");
  EXPECT_EQ(tk_format("%*d|%-*d|", 4, 1, 3, 2), "   1|2  |");
  EXPECT_EQ(tk_format("100%%"), "100%");
}

TEST(TkFormat, NarrowAndWideStringsBothBecomeUtf8) {
  std::u16string cyrillic = u"\u0417\u0430\u043a\u0430\u0437";  // "Заказ"
  EXPECT_EQ(tk_format("%s/%S", std::string("orders"), cyrillic), "orders/Заказ");
  EXPECT_EQ(tk_format(u"%s=%S", cyrillic, "x"), "Заказ=x");
  EXPECT_EQ(tk_format(u"Таблица %s", u"T"), "Таблица T");
  EXPECT_EQ(tk_format("%.3s|%5s|%-3s|", cyrillic, u"ab", "c"), "Зак|   ab|c  |");
  const char* none = nullptr;
  EXPECT_EQ(tk_format("%s", none), "(null)");
}

TEST(TkFormat, CharactersAndSurrogates) {
  EXPECT_EQ(tk_format("%c%c", 'a', u'\u0416'), "aЖ");
  std::u16string emoji = u"\U0001F600";
  EXPECT_EQ(tk_format("%s", emoji), "\xF0\x9F\x98\x80");
  std::u16string lone = u"a";
  lone += static_cast<char16_t>(0xD800);
  EXPECT_EQ(tk_format("%s", lone), "a\xEF\xBF\xBD");
}

TEST(TkFormat, WideResultRoundTrips) {
  EXPECT_EQ(tk_wformat(u"CREATE TABLE \"%s\" (%d)", std::u16string(u"\u0417\U0001F600"), 5),
            u"CREATE TABLE \"\u0417\U0001F600\" (5)");
}

TEST(TkFormat, LenientUtf8DecodingReplacesMalformedBytes) {
  EXPECT_EQ(tk_utf8_to_utf16_lenient("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(tk_utf8_to_utf16_lenient("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(tk_utf8_to_utf16_lenient("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // surrogate
  EXPECT_EQ(tk_utf8_to_utf16_lenient("\xE2\x82\xAC"), u"\u20AC");
}
