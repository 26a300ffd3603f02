#include <windows.h>

#include <climits>

#include "tk_code_page_system.hpp"
#include "tk_exception_ex.hpp"

namespace {

using namespace tk_code_page_system;

int checked_length(std::size_t size, const char* prefix) {
  if (size > INT_MAX / 4) raise(prefix, EOVERFLOW);
  return static_cast<int>(size);
}

std::u16string to_wide(UINT page, DWORD flags, std::string_view bytes, const char* prefix) {
  if (bytes.empty()) return {};
  int length = checked_length(bytes.size(), prefix);
  std::u16string out(bytes.size(), u'\0');  // never more UTF-16 units than bytes
  int n = ::MultiByteToWideChar(page, flags, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()), length);
  if (n <= 0) raise(prefix);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string to_bytes(UINT page, DWORD flags, std::u16string_view text, const char* prefix) {
  if (text.empty()) return {};
  int length = checked_length(text.size(), prefix);
  std::string out(text.size() * 4, '\0');
  // UTF-8 takes no replacement character; the others turn what they lack into "?".
  bool utf8 = page == CP_UTF8;
  int n = ::WideCharToMultiByte(page, flags, reinterpret_cast<const wchar_t*>(text.data()), length, out.data(),
                                static_cast<int>(out.size()), utf8 ? nullptr : "?", nullptr);
  if (n <= 0) raise(prefix);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace

void tk_code_page_system::raise(const char* prefix, int error) {
  throw tk_exception_ex(prefix, tk_exception::item_level, error);
}

std::string tk_code_page_system::name_of_other(int code_page) {
  return code_page > 0 && ::IsValidCodePage(static_cast<UINT>(code_page)) ? "cp" + std::to_string(code_page)
                                                                          : std::string();
}

bool tk_code_page_system::is_single_byte(int number, const std::string&) {
  CPINFO info{};
  if (!::GetCPInfo(static_cast<UINT>(number), &info)) raise(decode_error, EINVAL);
  return info.MaxCharSize == 1;
}

void tk_code_page_system::build_table(int number, const std::string&, std::array<char16_t, 256>& table) {
  for (int byte = 0; byte < 256; ++byte) {
    char in = static_cast<char>(byte);
    wchar_t out[2] = {};
    int n = ::MultiByteToWideChar(static_cast<UINT>(number), MB_ERR_INVALID_CHARS, &in, 1, out, 2);
    bool undefined = n != 1 || out[0] == 0xFFFD;
    if (undefined)
      table[byte] = byte >= 0x80 && byte <= 0x9F ? char16_t(byte) : char16_t(0xFFFD);
    else
      table[byte] = static_cast<char16_t>(out[0]);
  }
}

std::u16string tk_code_page_system::decode(int number, const std::string&, std::string_view bytes) {
  return to_wide(static_cast<UINT>(number), MB_ERR_INVALID_CHARS, bytes, decode_error);
}

// Without best fit: a character the page lacks becomes "?", never a look-alike.
std::string tk_code_page_system::encode(int number, const std::string&, std::u16string_view text) {
  return to_bytes(static_cast<UINT>(number), WC_NO_BEST_FIT_CHARS, text, ansi_error);
}

std::u16string tk_code_page_system::utf8_to_utf16(std::string_view bytes) {
  return to_wide(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, decode_error);
}

std::string tk_code_page_system::utf16_to_utf8(std::u16string_view text) {
  return to_bytes(CP_UTF8, WC_ERR_INVALID_CHARS, text, utf8_error);
}
