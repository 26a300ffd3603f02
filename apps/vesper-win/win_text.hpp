// Text between the wizard's models (UTF-16 in std::u16string, UTF-8 in
// std::string) and the wide Windows calls (wchar_t, UTF-16 on Windows).
#pragma once

#include <string>
#include <string_view>

#include "tk_win_text.hpp"

inline std::wstring win_wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string win_u16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
inline std::wstring win_wide(const std::string& utf8) { return tk_win_wide(utf8); }
inline std::wstring win_wide(const char* utf8) { return tk_win_wide(utf8); }

// Line feeds become the carriage return and line feed an edit control or a
// static control wants.
std::wstring win_crlf(std::wstring_view text);
