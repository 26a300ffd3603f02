// Trimming of spaces (the character 32 only; tabs and other blanks stay).
#pragma once

#include <string>
#include <string_view>

std::string tk_ltrim(std::string_view text);
std::string tk_rtrim(std::string_view text);
std::string tk_trim(std::string_view text);
std::u16string tk_ltrim(std::u16string_view text);
std::u16string tk_rtrim(std::u16string_view text);
std::u16string tk_trim(std::u16string_view text);
