// Text helpers of the emulation: UTF-8 / UTF-16 conversion, character counts, identifier case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ociemu {

std::string to_utf8(std::u16string_view text);
std::u16string to_utf16(std::string_view text);

// Unicode code points in UTF-16 text (a surrogate pair counts once).
std::size_t code_point_count(std::u16string_view text);
std::size_t utf8_length(std::u16string_view text);

// Oracle upper-cases unquoted identifiers; letters outside ASCII and Latin-1 stay as written.
std::u16string upper_identifier(std::u16string_view text);
bool equal_ignoring_case(std::u16string_view a, std::u16string_view b);

std::u16string u16(std::string_view ascii);

// ASCII classes and case of SQL text, connect strings and format models, whatever
// the process locale says (toupper('i') is no 'I' in a Turkish locale).
inline bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
inline bool is_ascii_alpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool is_ascii_alnum(char c) { return is_ascii_digit(c) || is_ascii_alpha(c); }
inline char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
inline std::string ascii_upper_text(std::string text) {
  for (char& c : text) c = ascii_upper(c);
  return text;
}
inline char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace ociemu
