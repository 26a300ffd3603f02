#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_platform.hpp"
#include "tk_case.hpp"
#include "tk_code_page.hpp"
#include "tk_convert.hpp"
#include "tk_exception_ex.hpp"
#include "tk_mail_assertion.hpp"
#include "tk_trim.hpp"
#include "tk_wstring.hpp"
#include "test_platform.hpp"

namespace {

char16_t decode_byte(int page, unsigned char byte) {
  std::u16string text = tk_ansi_to_ucs2(std::string(1, static_cast<char>(byte)), page);
  return text.size() == 1 ? text[0] : u'\0';
}

}  // namespace

TEST(TkCodePage, EveryDriverPageDecodesItsKnownLetters) {
  struct probe {
    int page;
    unsigned char byte;
    char16_t letter;
  } probes[] = {
      {437, 0x80, 0x00C7},  {850, 0xD0, 0x00F0},  {1252, 0x80, 0x20AC}, {10000, 0x80, 0x00C4},
      {866, 0x80, 0x0410},  {1251, 0x80, 0x0402}, {852, 0xA5, 0x0105},  {865, 0x9B, 0x00F8},
      {861, 0x8B, 0x00D0},  {895, 0x80, 0x010C},  {895, 0xA9, 0x0159},  {895, 0xB0, 0x2591},
      {620, 0x86, 0x0105},  {620, 0x9C, 0x0141},  {620, 0xA7, 0x017C},  {737, 0x80, 0x0391},
      {857, 0x8D, 0x0131},  {1256, 0xC7, 0x0627}, {10007, 0x80, 0x0410}, {10029, 0x81, 0x0100},
      {10006, 0xB0, 0x0391}, {1250, 0x8A, 0x0160}, {1254, 0xD0, 0x011E}, {1253, 0xC1, 0x0391},
  };
  for (const probe& p : probes)
    EXPECT_EQ(decode_byte(p.page, p.byte), p.letter) << "code page " << p.page;
}

TEST(TkCodePage, AsciiHalfIsUnchangedInSingleBytePages) {
  std::string ascii;
  for (int c = 1; c < 0x80; ++c) ascii.push_back(static_cast<char>(c));
  for (int page : {437, 620, 737, 850, 852, 857, 861, 865, 866, 895, 1250, 1251, 1252, 1253,
                   1254, 1256, 10000, 10006, 10007, 10029}) {
    std::u16string wide = tk_ansi_to_ucs2(ascii, page);
    ASSERT_EQ(wide.size(), ascii.size()) << page;
    for (std::size_t i = 0; i < ascii.size(); ++i)
      EXPECT_EQ(wide[i], static_cast<char16_t>(ascii[i])) << page << " byte " << i + 1;
    // Readers skip the table for such bytes on the page's word.
    EXPECT_TRUE(tk_code_page::get(page).keeps_ascii()) << page;
  }
  EXPECT_TRUE(tk_code_page::get(tk_code_page::utf8_page).keeps_ascii());
  // Double-byte pages read lead bytes with what follows: no byte stands alone.
  for (int page : {932, 936, 949, 950}) EXPECT_FALSE(tk_code_page::get(page).keeps_ascii()) << page;
}

TEST(TkCodePage, UndefinedBytesKeepTheirValueOrBecomeReplacement) {
  EXPECT_EQ(decode_byte(1252, 0x81), u'\x81');  // as Windows decodes it
  EXPECT_EQ(decode_byte(1253, 0xD2), u'\xFFFD');
}

TEST(TkCodePage, OwnTablesEncodeBackToTheSameBytes) {
  for (int page : {895, 620}) {
    std::string all;
    for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
    EXPECT_EQ(tk_ucs2_to_ansi(tk_ansi_to_ucs2(all, page), page), all) << page;
  }
}

TEST(TkCodePage, DefaultPageFollowsTheEnvironment) {
  EXPECT_EQ(decode_byte(0, 0x80), 0x20AC);
  test_set_environment("VESPER_DEFAULT_CODEPAGE", "866");
  EXPECT_EQ(tk_code_page::get(0).number(), 866);
  test_unset_environment("VESPER_DEFAULT_CODEPAGE");
  EXPECT_EQ(tk_code_page::get(0).number(), 1252);
}

TEST(TkCodePage, TextEndsAtItsFirstZero) {
  EXPECT_EQ(tk_ansi_to_ucs2(std::string("ab\0cd", 5), 1252), u"ab");
  EXPECT_EQ(tk_utf8_to_ucs2(std::string("x\0y", 3)), u"x");
}

TEST(TkConvert, FailuresRaiseTheLevelZeroErrorOfTheirDirection) {
  auto expect_error = [](auto convert, const char* prefix) {
    try {
      convert();
      ADD_FAILURE() << "no error for " << prefix;
    } catch (const tk_exception_ex& e) {
      EXPECT_EQ(e.level, 0);
      EXPECT_EQ(e.message.rfind(prefix, 0), 0u) << e.message;
    }
  };
  expect_error([] { tk_utf8_to_ucs2("\xC3\x28"); }, "Cannot convert to UNICODE string: ");
  expect_error([] { tk_utf8_to_ucs2("\xED\xA0\x80"); }, "Cannot convert to UNICODE string: ");
  expect_error([] { tk_to_utf8(u"a\xD800" "b"); }, "Cannot convert to UTF8 string: ");
  expect_error([] { tk_ucs2_to_ansi(u"\xDC00", 1251); }, "Cannot convert to ANSI string: ");
  expect_error([] { tk_ansi_to_ucs2("a", 12345); }, "Cannot convert to UNICODE string: ");
}

TEST(TkConvert, NonRaisingFormsReportFailure) {
  std::string narrow = "kept";
  EXPECT_FALSE(tk_wide_to_system(u"\xD800", narrow));
  std::u16string wide;
  EXPECT_FALSE(tk_system_to_wide("\xFF", wide));
  EXPECT_TRUE(tk_system_to_wide("\xD0\x96", wide));
  EXPECT_EQ(wide, u"\x0416");
}

TEST(TkConvert, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(tk_ucs2_to_ansi(u"A\x4E2D" "B", 1252), "A?B");
  EXPECT_EQ(tk_ucs2_to_ansi(u"\x0416", 866), "\x86");
  EXPECT_EQ(tk_ucs2_to_ansi(u"\x0416", -1), "\xD0\x96");
}

TEST(TkConvert, ByteDump) {
  EXPECT_EQ(tk_hex_of(std::string("\x00\x0F\xA0\xFF", 4)), "000FA0FF");
  char out[3] = {'x', 'x', 'x'};
  tk_dump_bytes("", 0, out);
  EXPECT_EQ(out[0], '\0');
  EXPECT_THROW(tk_dump_bytes("ab", 2, nullptr), tk_mail_assertion);
}

TEST(TkTrim, OnlySpacesAreTrimmed) {
  EXPECT_EQ(tk_rtrim("   "), "");
  EXPECT_EQ(tk_ltrim("  a "), "a ");
  EXPECT_EQ(tk_trim(u" \tb\t "), u"\tb\t");
  EXPECT_EQ(tk_trim(u""), u"");
  EXPECT_EQ(tk_rtrim(u"x  "), u"x");
}

TEST(TkWstring, ReplaceSplitAndCase) {
  EXPECT_EQ(tk_wstring(u"a.b.c").replace_all(u".", u"_"), u"a_b_c");
  // The inserted text is not searched again.
  EXPECT_EQ(tk_wstring(u"aa").replace_all(u"a", u"aa"), u"aaaa");
  EXPECT_EQ(tk_wstring(u"abc").replace_all(u"", u"x"), u"abc");

  EXPECT_TRUE(tk_wstring(u"").split(u',').empty());
  EXPECT_EQ(tk_wstring(u"x").split(u','), std::vector<std::u16string>{u"x"});
  std::vector<std::u16string> pieces{u"a", u"", u"b", u""};
  EXPECT_EQ(tk_wstring(u"a,,b,").split(u','), pieces);

  tk_wstring name(u"stra\u00DFe \u0436");
  EXPECT_EQ(name.to_upper(), u"STRA\u00DFE \u0416");  // simple mapping: ß does not grow
  EXPECT_EQ(name, u"STRA\u00DFE \u0416");               // changed in place
  EXPECT_EQ(name.to_lower(), u"stra\u00DFe \u0436");
}

TEST(TkCase, LooseComparisonFoldsCase) {
  EXPECT_TRUE(tk_loose_equal(u"Orders", u"ORDERS"));
  EXPECT_TRUE(tk_loose_equal(u"\u0416\u0443\u043A", u"\u0436\u0423\u041A"));
  EXPECT_FALSE(tk_loose_equal(u"order", u"orders"));
  EXPECT_LT(tk_loose_compare(u"apple", u"BANANA"), 0);
  EXPECT_TRUE(tk_is_alpha(U'\u0416'));
  EXPECT_FALSE(tk_is_alnum(U'_'));
}
