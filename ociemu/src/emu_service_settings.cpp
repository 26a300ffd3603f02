#include "emu_service_settings.hpp"

#include <cstdio>

#include "emu_error.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

// Windows-1252 in 0x80-0x9F; the five bytes it leaves undefined are 0.
constexpr char16_t cp1252_high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool in_cp1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return true;
  for (char16_t mapped : cp1252_high)
    if (mapped != 0 && mapped == c) return true;
  return false;
}

std::string setting(emu_sqlite& db, const char* name) {
  auto& s = db.cached("SELECT VALUE FROM ociemu_settings WHERE NAME = ?");
  s.bind_text(1, name);
  std::string value = s.step() ? s.column_text(0) : std::string();
  s.reset();
  return value;
}

void put_setting(emu_sqlite& db, const char* name, const std::string& value) {
  auto& s = db.cached("INSERT OR REPLACE INTO ociemu_settings VALUES (?, ?)");
  s.bind_text(1, name);
  s.bind_text(2, value);
  s.step();
  s.reset();
}

}  // namespace

bool emu_service_settings::is_supported_charset(const std::string& charset) {
  return charset == "AL32UTF8" || charset == "WE8MSWIN1252" || charset == "WE8ISO8859P1" ||
         charset == "US7ASCII";
}

std::optional<int> emu_service_settings::parse_compatible(const std::string& text) {
  int major = 0, minor = 0, used = 0;
  if (std::sscanf(text.c_str(), "%d.%d%n", &major, &minor, &used) != 2 || major < 9 || minor < 0 ||
      minor > 99)
    return std::nullopt;
  for (std::size_t i = static_cast<std::size_t>(used); i < text.size(); ++i)
    if (text[i] != '.' && (text[i] < '0' || text[i] > '9')) return std::nullopt;
  return major * 100 + minor;
}

void emu_service_settings::store(emu_sqlite& db, const std::string& compatible, const std::string& charset,
                                 const std::string& length_semantics, const std::string& messages) {
  put_setting(db, "compatible", compatible);
  put_setting(db, "charset", charset);
  put_setting(db, "length_semantics", length_semantics);
  put_setting(db, "messages", messages);
}

emu_service_settings emu_service_settings::load(emu_sqlite& db) {
  emu_service_settings s;
  if (const auto compatible = parse_compatible(setting(db, "compatible"))) s.compatible_ = *compatible;
  const std::string charset = setting(db, "charset");
  if (is_supported_charset(charset)) s.charset_ = charset;
  s.char_semantics_ = setting(db, "length_semantics") == "CHAR";
  s.help_lines_ = setting(db, "messages") == "23ai";
  return s;
}

std::size_t emu_service_settings::identifier_limit() const { return compatible_ >= 1202 ? 128 : 30; }

std::size_t emu_service_settings::encoded_length(std::u16string_view text) const {
  return charset_ == "AL32UTF8" ? utf8_length(text) : code_point_count(text);
}

std::u16string emu_service_settings::stored(std::u16string_view text) const {
  if (charset_ == "AL32UTF8") return std::u16string(text);
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size();
    if (pair) ++i;
    const bool held = !pair && (charset_ == "WE8MSWIN1252" ? in_cp1252(c)
                                : charset_ == "WE8ISO8859P1" ? c <= 0xFF
                                                             : c < 0x80);
    out += held ? c : u'?';
  }
  return out;
}

void emu_service_settings::store_identifiers(std::vector<emu_token>& tokens) const {
  // SQL Language Reference, "Text Literals": at most 4000 bytes (MAX_STRING_SIZE = STANDARD).
  constexpr std::size_t longest_literal = 4000;
  for (auto& t : tokens) {
    if (t.kind == token_kind::string && encoded_length(t.text) > longest_literal) throw ora_error(1704);
    if (t.kind == token_kind::string) t.text = stored(t.text);
    if (!t.is_identifier()) continue;
    if (encoded_length(t.text) > identifier_limit()) throw ora_error(972);
    t.text = stored(t.text);
  }
}

}  // namespace ociemu
