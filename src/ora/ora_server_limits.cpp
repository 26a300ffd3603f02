#include "ora_server_limits.hpp"

#include <map>

#include "tk_code_page.hpp"
#include "tk_exception.hpp"

namespace {

// UTF-16 units of the character starting at `at`: 2 for a surrogate pair.
std::size_t units_at(std::u16string_view s, std::size_t at) {
  bool pair = at + 1 < s.size() && s[at] >= 0xD800 && s[at] <= 0xDBFF && s[at + 1] >= 0xDC00 &&
              s[at + 1] <= 0xDFFF;
  return pair ? 2 : 1;
}

std::size_t utf8_bytes(std::u16string_view character) {
  if (character.size() == 2) return 4;
  char16_t c = character[0];
  return c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
}

// The Windows code pages that measure Oracle's single- and multi-byte
// database character sets.
int code_page_of(const std::u16string& charset) {
  static const std::map<std::u16string, int> pages = {
      {u"WE8MSWIN1252", 1252}, {u"EE8MSWIN1250", 1250}, {u"CL8MSWIN1251", 1251},
      {u"EL8MSWIN1253", 1253}, {u"TR8MSWIN1254", 1254}, {u"IW8MSWIN1255", 1255},
      {u"AR8MSWIN1256", 1256}, {u"BLT8MSWIN1257", 1257}, {u"VN8MSWIN1258", 1258},
      {u"US7ASCII", 20127},    {u"WE8ISO8859P15", 28605}, {u"EE8ISO8859P2", 28592},
      {u"CL8ISO8859P5", 28595}, {u"CL8KOI8R", 20866},   {u"TH8TISASCII", 874},
      {u"WE8PC850", 850},      {u"US8PC437", 437},       {u"RU8PC866", 866},
      {u"JA16SJIS", 932},      {u"ZHS16GBK", 936},       {u"KO16MSWIN949", 949},
      {u"ZHT16MSWIN950", 950},
  };
  auto found = pages.find(charset);
  return found == pages.end() ? 0 : found->second;
}

}  // namespace

ora_server_limits::ora_server_limits(std::uint32_t name_bytes, std::u16string charset,
                                     std::uint32_t max_columns)
    : name_bytes_(name_bytes ? name_bytes : classic_name_bytes),
      charset_(std::move(charset)),
      max_columns_(max_columns) {
  choose_encoding();
}

void ora_server_limits::choose_encoding() {
  known_ = true;
  if (charset_ == u"AL32UTF8") {
    encoding_ = encoding::utf8;
  } else if (charset_ == u"UTF8") {
    encoding_ = encoding::cesu8;  // Oracle's UTF8 writes a supplementary character as two 3-byte halves
  } else if (charset_ == u"WE8ISO8859P1") {
    encoding_ = encoding::latin1;
  } else if ((code_page_ = code_page_of(charset_)) != 0) {
    encoding_ = encoding::code_page;
  } else {
    encoding_ = encoding::utf8;
    known_ = false;
  }
}

ora_server_limits::measure ora_server_limits::measure_character(std::u16string_view character) const {
  switch (encoding_) {
    case encoding::utf8: return {utf8_bytes(character), true};
    case encoding::cesu8: return {character.size() == 2 ? 6 : utf8_bytes(character), true};
    case encoding::latin1: return {1, character.size() == 1 && character[0] <= 0xFF};
    case encoding::code_page: break;
  }
  try {
    const tk_code_page& page = tk_code_page::get(code_page_);
    std::string bytes = page.encode(character);
    // The page writes "?" for what it cannot hold: only a round trip tells.
    bool held = !bytes.empty() && page.decode(bytes) == character;
    return {held ? bytes.size() : 1, held};
  } catch (const tk_exception&) {
    return {1, false};  // an unpaired surrogate
  }
}

std::size_t ora_server_limits::byte_length(std::u16string_view name) const {
  std::size_t bytes = 0;
  for (std::size_t at = 0; at < name.size();) {
    std::size_t units = units_at(name, at);
    bytes += measure_character(name.substr(at, units)).bytes;
    at += units;
  }
  return bytes;
}

std::u16string ora_server_limits::cut(std::u16string_view name, std::size_t bytes) const {
  std::size_t used = 0, at = 0;
  while (at < name.size()) {
    std::size_t units = units_at(name, at);
    used += measure_character(name.substr(at, units)).bytes;
    if (used > bytes) break;
    at += units;
  }
  return std::u16string(name.substr(0, at));
}

bool ora_server_limits::can_hold(std::u16string_view name) const {
  for (std::size_t at = 0; at < name.size();) {
    std::size_t units = units_at(name, at);
    if (!measure_character(name.substr(at, units)).held) return false;
    at += units;
  }
  return true;
}

std::u16string ora_server_limits::replace_foreign(std::u16string_view name) const {
  std::u16string out;
  for (std::size_t at = 0; at < name.size();) {
    std::size_t units = units_at(name, at);
    std::u16string_view character = name.substr(at, units);
    if (measure_character(character).held)
      out += character;
    else
      out += u'_';
    at += units;
  }
  return out;
}

std::uint32_t ora_server_limits::column_limit(std::uint32_t version, std::u16string_view max_columns) {
  constexpr std::uint32_t first_extended_release = 23u << 16;
  return version >= first_extended_release && max_columns == u"EXTENDED" ? extended_columns : classic_columns;
}
