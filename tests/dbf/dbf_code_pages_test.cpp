// The code pages of the driver-byte table decode as Microsoft's mapping files
// say (glibc's iconv follows them, so it is the independent table here), the
// table holds the published driver bytes in ascending order, and the names
// users and .cpg files give code pages are understood.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <iconv.h>
#endif

#include <map>
#include <set>
#include <string>

#include "dbf_code_pages.hpp"
#include "tk_code_page.hpp"

namespace {

constexpr char16_t undefined = 0xFFFF;
constexpr char16_t no_table = 0;

#ifndef _WIN32
// What glibc's iconv makes of one byte of `page`: the code point,
// `undefined` when it refuses the byte, `no_table` when it lacks the page.
char16_t iconv_code_point(int page, unsigned char byte) {
  static const std::map<int, const char*> names = {
      {10000, "MACINTOSH"}, {10007, "MAC-CYRILLIC"}, {10029, "MAC-CENTRALEUROPE"}, {20866, "KOI8-R"},
      {21866, "KOI8-U"},    {28591, "ISO-8859-1"},   {28592, "ISO-8859-2"},        {28595, "ISO-8859-5"},
      {28597, "ISO-8859-7"}, {28605, "ISO-8859-15"},
  };
  auto named = names.find(page);
  const std::string name = named != names.end() ? named->second : "CP" + std::to_string(page);
  iconv_t cd = iconv_open("UTF-16LE", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return no_table;
  char in = static_cast<char>(byte);
  char out[8];
  char* in_at = &in;
  char* out_at = out;
  std::size_t in_left = 1, out_left = sizeof out;
  std::size_t done = iconv(cd, &in_at, &in_left, &out_at, &out_left);
  if (done != static_cast<std::size_t>(-1)) iconv(cd, nullptr, nullptr, &out_at, &out_left);  // 1258 holds back
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1) || sizeof out - out_left != 2) return undefined;
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
}
#endif

char16_t our_code_point(int page, unsigned char byte) {
  std::u16string text = tk_code_page::get(page).decode(std::string(1, static_cast<char>(byte)));
  return text.size() == 1 ? text[0] : undefined;
}

std::set<int> single_byte_pages() {
  std::set<int> pages;
  for (const dbf_code_page& row : dbf_code_pages::choices())
    if (row.code_page != 0) pages.insert(row.code_page);
  for (const dbf_extra_code_page& row : dbf_code_pages::extra_choices()) pages.insert(row.code_page);
  std::erase_if(pages, [](int page) { return !tk_code_page::get(page).is_single_byte() || page == 65001; });
  return pages;
}

}  // namespace

TEST(DbfCodePages, SingleBytePagesDecodeAsMicrosoftsTables) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: the independent table is glibc's iconv, which MinGW lacks";
#else
  // Our deliberate differences from iconv's tables:
  // - a byte of 0x80-0x9F the page leaves undefined keeps its value as a C1
  //   control, as Windows does, rather than failing (checked below);
  // - Mac Roman 0xC6 is U+2206 INCREMENT and 0xF0 the Apple logo U+F8FF as
  //   Apple's and Microsoft's tables have them, where glibc keeps the older
  //   Greek Delta and a private code point of its own.
  const std::map<std::pair<int, int>, char16_t> ours = {
      {{10000, 0xC6}, 0x2206},
      {{10000, 0xF0}, 0xF8FF},
  };
  // 895 (Kamenicky) and 620 (Mazovia) have no table outside ours: they are
  // taken from the published character charts of the two DOS pages. Nor has
  // glibc Mac Greek (10006); ICU's table is used unchanged.
  const std::set<int> without_independent_table = {620, 895, 10006};
  int compared = 0;
  for (int page : single_byte_pages()) {
    if (without_independent_table.count(page)) continue;
    ASSERT_NE(iconv_code_point(page, 0x41), no_table) << "iconv lacks code page " << page;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
      const char16_t theirs = iconv_code_point(page, static_cast<unsigned char>(byte));
      char16_t expected = theirs;
      if (auto found = ours.find({page, byte}); found != ours.end())
        expected = found->second;
      else if (theirs == undefined)
        expected = byte <= 0x9F ? static_cast<char16_t>(byte) : char16_t(0xFFFD);
      EXPECT_EQ(int(our_code_point(page, static_cast<unsigned char>(byte))), int(expected))
          << "code page " << page << " byte " << std::hex << byte;
    }
    ++compared;
  }
  EXPECT_GE(compared, 30);
#endif
}

TEST(DbfCodePages, TableHoldsThePublishedDriverBytesInAscendingOrder) {
  const std::vector<dbf_code_page>& rows = dbf_code_pages::choices();
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].driver, rows[i].driver);
  const std::map<int, int> published = {
      {0x13, 932}, {0x1C, 863}, {0x24, 860},  {0x4D, 936},  {0x4E, 949},  {0x4F, 950}, {0x50, 874},
      {0x57, 0},   {0x78, 950}, {0x79, 949},  {0x7A, 936},  {0x7B, 932},  {0x7C, 874}, {0x7D, 1255},
      {0x7E, 1256}, {0xCC, 1257}, {0x68, 895}, {0x69, 620}, {0x86, 737},  {0x01, 437},
  };
  for (auto [driver, page] : published) EXPECT_EQ(dbf_code_pages::code_page_of(driver), page) << driver;
  // Every page of the table and every extra one can be decoded.
  for (const dbf_code_page& row : rows) EXPECT_TRUE(tk_is_known_code_page(row.code_page ? row.code_page : 1252));
  for (const dbf_extra_code_page& row : dbf_code_pages::extra_choices()) {
    EXPECT_TRUE(tk_is_known_code_page(row.code_page)) << row.code_page;
    EXPECT_TRUE(dbf_code_pages::is_valid_setting(row.code_page));
  }
  EXPECT_FALSE(dbf_code_pages::is_valid_setting(0x05));   // no driver byte
  EXPECT_FALSE(dbf_code_pages::is_valid_setting(259));    // no code page
}

TEST(DbfCodePages, DoubleBytePagesDecodeWholeCharacters) {
  EXPECT_EQ(tk_code_page::get(936).decode("\xB2\xE2\xCA\xD4\xD6\xD0\xCE\xC4"), u"测试中文");
  EXPECT_EQ(tk_code_page::get(950).decode("\xB4\xFA\xB8\xD5"), u"測試");
  EXPECT_EQ(tk_code_page::get(932).decode("\x93\xFA\x96\x7B"), u"日本");
  EXPECT_EQ(tk_code_page::get(949).decode("\xC7\xD1\xB1\xDB"), u"한글");
}

TEST(DbfCodePages, NamesOfCodePagesAsUsersAndCpgFilesWriteThem) {
  const std::map<std::string, int> names = {
      {"UTF-8", 65001},      {"utf8", 65001},       {" UTF-8\r\n", 65001}, {"\xEF\xBB\xBFUTF-8", 65001},
      {"1251", 1251},        {"CP1252", 1252},      {"cp 1250", 1250},    {"ANSI 1251", 1251},
      {"windows-1257", 1257}, {"ibm866", 866},      {"IBM-437", 437},     {"88591", 28591},
      {"885915", 28605},     {"ISO-8859-1", 28591}, {"iso8859-2", 28592}, {"8859-5", 28595},
      {"Big5", 950},         {"GBK", 936},          {"Shift_JIS", 932},   {"KOI8-R", 20866},
      {"", 0},               {"cp99999", 0},        {"latin", 0},         {"1251x", 0},
      {"ISO-8859-99", 0},    {"259", 0},
      // The spellings of mapshaper's and GDAL's .cpg files.
      {"Big-5", 950},        {"EUC-KR", 949},       {"koi8r", 20866},     {"latin2", 28592},
      {"shiftjis", 932},     {"885911", 874},       {"874", 874},         {"win1251", 1251},
      {"ISO-8859-9", 28599}, {"latin5", 28599},     {"8859-13", 28603},   {"MacRoman", 10000},
      {"TIS-620", 874},      {"ks_c_5601-1987", 949}, {"UTF-16", 0},      {"utf16le", 0},
  };
  for (const auto& [name, page] : names) EXPECT_EQ(tk_code_page_number_of(name), page) << name;
}

// Decoding into a string that is reused for value after value gives what a
// fresh decoding gives, shorter and longer than before, ASCII or not, up to
// the first zero; once the string is large enough its storage is kept.
TEST(DbfCodePages, DecodingIntoAReusedStringGivesTheFreshDecoding) {
  const std::string texts[] = {"plain ASCII text of some length", "", "a", std::string("cut\0here", 8),
                               std::string("\0", 1), "caf\xE9 \x80\x9F\xA0\xFF", "\x01\x7F\x80",
                               std::string(200, 'x') + "\xE9", "\x93\xFA\x96\x7B", "ok \xC3\xA9"};
  for (int page : {1252, 1251, 866, 437, 895, 620, 65001, 932}) {
    const tk_code_page& code_page = tk_code_page::get(page);
    std::u16string reused = u"something longer than several of the texts before it";
    for (const std::string& text : texts) {
      std::u16string fresh;
      try {
        fresh = code_page.decode(text);
      } catch (...) {
        EXPECT_ANY_THROW(code_page.decode_into(text, reused)) << page;
        continue;
      }
      code_page.decode_into(text, reused);
      EXPECT_EQ(reused, fresh) << page << " " << text;
    }
  }
  const tk_code_page& western = tk_code_page::get(1252);
  std::u16string kept;
  western.decode_into(std::string(64, 'x'), kept);
  const char16_t* storage = kept.data();
  for (const char* text : {"short", "caf\xE9", "", "a little longer text"}) {
    western.decode_into(text, kept);
    EXPECT_EQ(kept.data(), storage) << text;
  }
}
