// Text at the Windows API boundary (Windows builds only). The program's
// narrow text, paths included, is UTF-8 on every platform; the wide ("W")
// calls take UTF-16, which wchar_t holds on Windows.
#pragma once

#include <string>
#include <string_view>

std::wstring tk_win_wide(std::string_view utf8);
std::string tk_win_utf8(std::wstring_view wide);
// The system's text for a GetLastError() code, without its line end;
// "error N" when the system has none.
std::string tk_win_error_text(unsigned long error);
