#include "tk_win_text.hpp"

#include <windows.h>

#include "tk_format.hpp"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected on Windows");

std::wstring tk_win_wide(std::string_view utf8) {
  std::u16string wide = tk_utf8_to_utf16_lenient(utf8);
  return std::wstring(wide.begin(), wide.end());
}

std::string tk_win_utf8(std::wstring_view wide) {
  return tk_utf16_to_utf8_lenient(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::string tk_win_error_text(unsigned long error) {
  wchar_t* text = nullptr;
  DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length && text ? std::wstring(text, length) : std::wstring();
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  return message.empty() ? tk_format("error %u", static_cast<unsigned>(error)) : tk_win_utf8(message);
}
