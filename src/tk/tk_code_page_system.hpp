// The system's code page services behind tk_code_page: ICU's converters on
// POSIX, Windows' own tables (MultiByteToWideChar) on Windows. `name` is the
// ICU converter name of the page (unused on Windows, which goes by number).
#pragma once

#include <array>
#include <cerrno>
#include <string>
#include <string_view>

namespace tk_code_page_system {

inline constexpr const char* decode_error = "Cannot convert to UNICODE string: ";
inline constexpr const char* utf8_error = "Cannot convert to UTF8 string: ";
inline constexpr const char* ansi_error = "Cannot convert to ANSI string: ";

// Raises the level-0 conversion error with the text of errno value `error`.
[[noreturn]] void raise(const char* prefix, int error = EILSEQ);

// The converter name of a page this table of known pages lacks; empty when
// the system cannot convert it.
std::string name_of_other(int code_page);
bool is_single_byte(int number, const std::string& name);
// Each byte's character; undefined bytes become their own value in
// 0x80-0x9F (as Windows does for 1252) and U+FFFD elsewhere.
void build_table(int number, const std::string& name, std::array<char16_t, 256>& table);
// Multi-byte pages; ill-formed input raises.
std::u16string decode(int number, const std::string& name, std::string_view bytes);
// Characters the page cannot hold become "?".
std::string encode(int number, const std::string& name, std::u16string_view text);
std::u16string utf8_to_utf16(std::string_view bytes);
std::string utf16_to_utf8(std::u16string_view text);

}  // namespace tk_code_page_system
