#include "tk_convert.hpp"

#include "tk_code_page.hpp"
#include "tk_exception.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

bool tk_wide_to_system(std::u16string_view text, std::string& out) {
  try {
    out = tk_to_utf8(text);
    return true;
  } catch (const tk_exception&) {
    return false;
  }
}

bool tk_system_to_wide(std::string_view text, std::u16string& out) {
  try {
    out = tk_utf8_to_ucs2(text);
    return true;
  } catch (const tk_exception&) {
    return false;
  }
}

std::string tk_to_utf8(std::u16string_view text) {
  return tk_code_page::get(tk_code_page::utf8_page).encode(text);
}

std::u16string tk_utf8_to_ucs2(std::string_view text) {
  return tk_code_page::get(tk_code_page::utf8_page).decode(text);
}

std::string tk_ucs2_to_ansi(std::u16string_view text, int code_page) {
  return tk_code_page::get(code_page).encode(text);
}

std::u16string tk_ansi_to_ucs2(std::string_view text, int code_page) {
  if (tk_log_wanted(1)) tk_log(1, "tk_ansi_to_ucs2 hex(%s)", tk_hex_of(text));
  return tk_code_page::get(code_page).decode(text);
}

void tk_dump_bytes(const void* bytes, std::size_t size, char* out) {
  if (!out || (!bytes && size)) TK_ASSERTION_FAILED();
  static constexpr char digits[] = "0123456789ABCDEF";
  const auto* in = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < size; ++i) {
    *out++ = digits[in[i] >> 4];
    *out++ = digits[in[i] & 0xF];
  }
  *out = '\0';
}

std::string tk_hex_of(std::string_view bytes) {
  std::string out(bytes.size() * 2 + 1, '\0');
  tk_dump_bytes(bytes.data(), bytes.size(), out.data());
  out.pop_back();
  return out;
}
