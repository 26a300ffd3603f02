#include "tk_code_page.hpp"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include "tk_code_page_system.hpp"
#include "tk_exception_ex.hpp"
#include "tk_logger.hpp"

namespace {

using tk_code_page_system::ansi_error;
using tk_code_page_system::decode_error;
using tk_code_page_system::raise;

// Bytes 0x80-0xAF of the Kamenicky (Czech and Slovak) DOS page; 0xB0-0xFF are
// the line-drawing and Greek letters of page 437.
constexpr char16_t kamenicky_upper[48] = {
    0x010C, 0x00FC, 0x00E9, 0x010F, 0x00E4, 0x010E, 0x0164, 0x010D,  // 80
    0x011B, 0x011A, 0x0139, 0x00CD, 0x013E, 0x013A, 0x00C4, 0x00C1,  // 88
    0x00C9, 0x017E, 0x017D, 0x00F4, 0x00F6, 0x00D3, 0x016F, 0x00DA,  // 90
    0x00FD, 0x00D6, 0x00DC, 0x0160, 0x013D, 0x00DD, 0x0158, 0x0165,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0148, 0x0147, 0x016E, 0x00D4,  // A0
    0x0161, 0x0159, 0x0155, 0x0154, 0x00BC, 0x00A7, 0x00AB, 0x00BB,  // A8
};

// Bytes 0x80-0xAF of the Mazovia (Polish) DOS page; the rest is page 437.
constexpr char16_t mazovia_upper[48] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x0105, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x0107, 0x00C4, 0x0104,  // 88
    0x0118, 0x0119, 0x0142, 0x00F4, 0x00F6, 0x0106, 0x00FB, 0x00F9,  // 90
    0x015A, 0x00D6, 0x00DC, 0x00A2, 0x0141, 0x00A5, 0x015B, 0x0192,  // 98
    0x0179, 0x017B, 0x00F3, 0x00D3, 0x0144, 0x0143, 0x017A, 0x017C,  // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
};

// Where ICU's tables differ from Microsoft's mapping files for the same page
// (which Windows, glibc iconv and Python follow). ICU's IBM tables give the
// Greek mu for the micro sign, leave 852's not sign undefined and swap two
// Greek accents of 869; its 874 maps bytes Microsoft leaves undefined into
// the private use area, its 1253 one such byte to itself; its Mac Cyrillic has the euro where Microsoft's
// table keeps the currency sign. 0xFFFD marks a byte left undefined.
struct table_fix {
  int page;
  unsigned char byte;
  char16_t code_point;
};
constexpr table_fix microsoft_fixes[] = {
    {437, 0xE6, 0x00B5},   {860, 0xE6, 0x00B5},   {861, 0xE6, 0x00B5},   {862, 0xE6, 0x00B5},
    {863, 0xE6, 0x00B5},   {865, 0xE6, 0x00B5},   {852, 0xAA, 0x00AC},   {869, 0x88, 0x00B7},
    {869, 0xEF, 0x0384},   {874, 0xDB, 0xFFFD},   {874, 0xDC, 0xFFFD},   {874, 0xDD, 0xFFFD},
    {874, 0xDE, 0xFFFD},   {874, 0xFC, 0xFFFD},   {874, 0xFD, 0xFFFD},   {874, 0xFE, 0xFFFD},
    {874, 0xFF, 0xFFFD},   {1253, 0xAA, 0xFFFD},  {10007, 0xFF, 0x00A4},
};

bool is_lead(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_trail(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool has_unpaired_surrogate(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (is_lead(c) && i + 1 < text.size() && is_trail(text[i + 1])) {
      ++i;
    } else if (is_lead(c) || is_trail(c)) {
      return true;
    }
  }
  return false;
}

template <typename Text>
Text up_to_zero(Text text) {
  auto zero = text.find(typename Text::value_type(0));
  if (zero != Text::npos) text.resize(zero);
  return text;
}

int resolve_number(int number) {
  if (number == tk_code_page::system_page) return tk_code_page::utf8_page;
  if (number != tk_code_page::default_page) return number;
  const char* chosen = std::getenv("VESPER_DEFAULT_CODEPAGE");
  int value = chosen ? std::atoi(chosen) : 0;
  return value > 0 ? value : 1252;
}

std::string system_name_of(int code_page) {
  static const std::map<int, const char*> names = {
      {437, "ibm-437"},        {620, ""},  // our own table
      {737, "ibm-737"},        {775, "ibm-775"},
      {850, "ibm-850"},        {852, "ibm-852"},
      {855, "ibm-855"},        {857, "ibm-857"},
      {860, "ibm-860"},        {861, "ibm-861"},
      {862, "ibm-862"},        {863, "ibm-863"},
      {865, "ibm-865"},        {866, "ibm-866"},
      {869, "ibm-869"},        {874, "windows-874"},
      {895, ""},  // our own table
      {932, "windows-31j"},    {936, "windows-936-2000"},
      {949, "windows-949-2000"}, {950, "windows-950-2000"},
      {1250, "windows-1250"},  {1251, "windows-1251"},
      {1252, "windows-1252"},  {1253, "windows-1253"},
      {1254, "windows-1254"},  {1255, "windows-1255"},
      {1256, "windows-1256"},  {1257, "windows-1257"},
      {1258, "windows-1258"},
      {10000, "macintosh"},    {10006, "x-mac-greek"},
      {10007, "x-mac-cyrillic"}, {10029, "x-mac-centraleurroman"},
      {20866, "koi8-r"},       {21866, "koi8-u"},
      {28591, "iso-8859-1"},   {28592, "iso-8859-2"},
      {28593, "iso-8859-3"},   {28594, "iso-8859-4"},
      {28595, "iso-8859-5"},   {28596, "iso-8859-6"},
      {28597, "iso-8859-7"},   {28598, "iso-8859-8"},
      {28599, "iso-8859-9"},   {28603, "iso-8859-13"},
      {28605, "iso-8859-15"},
      {65001, "UTF-8"},
  };
  auto found = names.find(code_page);
  if (found != names.end()) return found->second;
  return tk_code_page_system::name_of_other(code_page);
}

}  // namespace

bool tk_is_known_code_page(int code_page) {
  return code_page == 620 || code_page == 895 || !system_name_of(code_page).empty();
}

int tk_code_page::resolved(int number) { return resolve_number(number); }

const tk_code_page& tk_code_page::get(int requested) {
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<tk_code_page>> pages;
  int number = resolve_number(requested);
  std::lock_guard<std::mutex> lock(mutex);
  auto& page = pages[number];
  if (!page) {
    bool own = number == 895 || number == 620;
    std::string name = own ? "ibm-437" : system_name_of(number);
    if (name.empty()) {
      tk_log(1, "Unknown code page %d", number);
      pages.erase(number);
      raise(decode_error, EINVAL);
    }
    page.reset(new tk_code_page(number, name));
  }
  return *page;
}

tk_code_page::tk_code_page(int number, std::string converter_name)
    : number_(number), converter_name_(std::move(converter_name)) {
  if (number_ == utf8_page) {
    keeps_ascii_ = true;
    return;
  }
  // Our own pages start from page 437, whose upper half they share.
  int system_number = number_ == 895 || number_ == 620 ? 437 : number_;
  single_byte_ = tk_code_page_system::is_single_byte(system_number, converter_name_);
  if (!single_byte_) return;
  tk_code_page_system::build_table(system_number, converter_name_, table_);
  for (const table_fix& fix : microsoft_fixes)
    if (fix.page == number_) table_[fix.byte] = fix.code_point;
  if (number_ == 895) build_own_table(kamenicky_upper);
  if (number_ == 620) build_own_table(mazovia_upper);
  keeps_ascii_ = true;
  for (int byte = 0; byte < 0x80; ++byte) keeps_ascii_ = keeps_ascii_ && table_[byte] == char16_t(byte);
  for (char16_t c : table_) has_undefined_ = has_undefined_ || c == u'\uFFFD';
}

std::size_t tk_code_page::first_undefined(std::string_view bytes) const {
  if (!has_undefined_) return std::string_view::npos;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char16_t c = table_[static_cast<unsigned char>(bytes[i])];
    if (c == 0) break;
    if (c == u'\uFFFD') return i;
  }
  return std::string_view::npos;
}

void tk_code_page::build_own_table(const char16_t* upper_half) {
  for (int i = 0; i < 48; ++i) table_[0x80 + i] = upper_half[i];
}

std::u16string tk_code_page::decode(std::string_view bytes) const {
  if (number_ == utf8_page) return up_to_zero(tk_code_page_system::utf8_to_utf16(bytes));
  if (!single_byte_) return up_to_zero(tk_code_page_system::decode(number_, converter_name_, bytes));
  std::u16string out;
  decode_into(bytes, out);
  return out;
}

void tk_code_page::decode_into(std::string_view bytes, std::u16string& out) const {
  if (!single_byte_ || number_ == utf8_page) {
    out = decode(bytes);
    return;
  }
  if (decode_ascii(bytes, out)) return;
  out.resize(bytes.size());
  std::size_t n = 0;
  for (char b : bytes) {
    char16_t c = table_[static_cast<unsigned char>(b)];
    if (c == 0) break;
    out[n++] = c;
  }
  out.resize(n);
}

// Bytes 0x01-0x7F of a page that keeps ASCII are their own code points: they
// are copied and checked in one pass without a branch per byte. False (and
// `out` to be written again) when another byte is among them.
bool tk_code_page::decode_ascii(std::string_view bytes, std::u16string& out) const {
  if (!keeps_ascii_) return false;
  const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
  out.resize(bytes.size());
  char16_t* to = out.data();
  unsigned char outside = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    to[i] = from[i];
    outside |= static_cast<unsigned char>((from[i] >= 0x80u) | (from[i] == 0));
  }
  return outside == 0;
}

std::string tk_code_page::encode(std::u16string_view text) const {
  if (number_ == utf8_page) return up_to_zero(tk_code_page_system::utf16_to_utf8(text));
  if (has_unpaired_surrogate(text)) raise(ansi_error);
  if (number_ == 895 || number_ == 620) return up_to_zero(encode_with_table(text));
  return up_to_zero(tk_code_page_system::encode(number_, converter_name_, text));
}

std::string tk_code_page::encode_with_table(std::u16string_view text) const {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    char byte = '?';
    for (int i = 0; i < 256; ++i) {
      if (table_[i] == c) {
        byte = static_cast<char>(i);
        break;
      }
    }
    out.push_back(byte);
  }
  return out;
}

namespace {

std::string lower_trimmed(std::string_view name) {
  const char* blanks = " \t\r\n\v\f";
  std::size_t first = name.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  name = name.substr(first, name.find_last_not_of(blanks) - first + 1);
  std::string out;
  for (char c : name) out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  return out;
}

// The number after `prefix` (and an optional separator), -1 when the text
// is not the prefix followed by digits only.
int number_after(const std::string& text, std::string_view prefix) {
  if (text.rfind(prefix, 0) != 0) return -1;
  std::size_t i = prefix.size();
  if (i < text.size() && (text[i] == '-' || text[i] == '_' || text[i] == ' ')) ++i;
  if (i == text.size() || text.size() - i > 6) return -1;
  int value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// ISO-8859 part N is Windows code page 28590 + N. Part 11 (Thai) has no
// Windows number: page 874 holds it whole, and only adds letters where part
// 11 keeps control codes (0x80-0x9F), which text does not hold.
int iso_8859_page(int part) {
  if (part == 11) return 874;
  return part >= 1 && part <= 16 ? 28590 + part : -1;
}

// The name without the separators writers put between its parts, as
// iconv-based writers (mapshaper among them) compare names: "Big-5", "big5"
// and "BIG_5" are one name.
std::string compact(const std::string& name) {
  std::string out;
  for (char c : name)
    if (c != '-' && c != '_' && c != ' ' && c != '.' && c != ':') out.push_back(c);
  return out;
}

// Names of pages, compacted, as .cpg files of GIS writers (GDAL's list,
// mapshaper's iconv names, ESRI's) and users spell them.
int number_of_compact(const std::string& name) {
  static const std::map<std::string, int> named = {
      {"utf8", 65001},        {"big5", 950},          {"big5tw", 950},        {"cp950", 950},
      {"gbk", 936},           {"gb2312", 936},        {"euccn", 936},         {"cp936", 936},
      {"shiftjis", 932},      {"sjis", 932},          {"mskanji", 932},       {"windows31j", 932},
      {"euckr", 949},         {"uhc", 949},           {"ksc56011987", 949},   {"koi8r", 20866},
      {"koi8u", 21866},       {"latin1", 28591},      {"latin2", 28592},      {"latin3", 28593},
      {"latin4", 28594},      {"latin5", 28599},      {"latin7", 28603},      {"latin9", 28605},
      {"l1", 28591},          {"l2", 28592},          {"cyrillic", 28595},    {"greek", 28597},
      {"macintosh", 10000},   {"macroman", 10000},    {"mac", 10000},         {"maccyrillic", 10007},
      {"macgreek", 10006},    {"maccentraleurope", 10029}, {"tis620", 874},
  };
  if (auto found = named.find(name); found != named.end()) return found->second;
  return -1;
}

int number_of_lowered(const std::string& name) {
  if (int n = number_of_compact(compact(name)); n > 0) return n;
  // Digits alone: a page number, or GDAL's spelling of ISO-8859 parts ("88591").
  if (int n = number_after(name, ""); n >= 0) {
    bool iso = name.size() > 4 && name.rfind("8859", 0) == 0;
    return iso ? iso_8859_page(std::stoi(name.substr(4))) : n;
  }
  for (std::string_view prefix : {"iso-8859", "iso8859", "iso_8859", "8859"})
    if (int n = number_after(name, prefix); n >= 0) return iso_8859_page(n);
  for (std::string_view prefix : {"cp", "windows", "win", "ansi", "ibm", "oem", "ms"})
    if (int n = number_after(name, prefix); n >= 0) return n;
  return -1;
}

}  // namespace

int tk_code_page_number_of(std::string_view name) {
  if (name.starts_with("\xEF\xBB\xBF")) name.remove_prefix(3);  // a byte-order mark
  int number = number_of_lowered(lower_trimmed(name));
  return number > 0 && tk_is_known_code_page(number) ? number : 0;
}
