#include "ora_value_text.hpp"

#include <cmath>

#include "ole_date.hpp"
#include "ole_guid_extractor.hpp"
#include "ole_number.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"
#include "tk_real_text.hpp"
#include "tk_format.hpp"

namespace {

constexpr std::size_t date_only_size = 10;      // YYYY-MM-DD
constexpr std::size_t date_and_time_size = 19;  // YYYY-MM-DD HH:MI:SS

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool is_hex(char16_t c) { return is_digit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

// The digits of a GUID in the byte order of the GUID structure in memory:
// the first three groups little-endian.
std::u16string guid_bytes(const std::u16string& digits) {
  if (digits.size() != 32) TK_ASSERTION_FAILED();
  std::u16string out;
  for (int pair : {3, 2, 1, 0, 5, 4, 7, 6}) out += digits.substr(static_cast<std::size_t>(pair) * 2, 2);
  return out + digits.substr(16);
}

}  // namespace

std::u16string ora_value_text::date(const std::u16string& text) {
  ole_date date(text);
  if (!date.is_valid()) return {};
  if (date.type == ole_date::time_only) {
    std::u16string printed = date.to_wstring(true);
    std::size_t null_date = printed.find(u"0000-00-00 ");
    if (null_date != std::u16string::npos) {
      tk_log(2, "Null date has been found");
      printed.erase(null_date, 11);
    }
    return printed;
  }
  return date.to_wstring(date.type == ole_date::date_only);
}

std::optional<std::u16string> ora_value_text::hex_digits(const std::u16string& text) {
  if (text.size() < 2 || !is_digit(text[0])) return std::nullopt;
  bool hex = text[0] == u'0' && (text[1] == u'x' || text[1] == u'X');
  if (!hex && !is_digit(text[1])) return std::nullopt;
  for (std::size_t i = 2; i < text.size(); ++i)
    if (hex ? !is_hex(text[i]) : !is_digit(text[i])) return std::nullopt;
  return text.substr(2);
}

ora_value_text::shape ora_value_text::of(const ole_variant& value, std::u16string& out) {
  const VARTYPE kind = value.get_type();
  out.clear();
  if (kind == VT_NULL || kind == VT_EMPTY) return shape::none;
  // NaN and infinity are no number: NULL.
  if ((kind == VT_R4 || kind == VT_R8) && !std::isfinite(value.to_double())) return shape::none;
  // A double's shortest text reads back as the same double; the variant's
  // own 17 digits would store its binary error (2.3 as 2.2999999999999998).
  if (kind == VT_R8 && !value.wide_digits().empty()) {
    out = ole_widen_ascii(value.wide_digits());
    return shape::plain;
  }
  if (kind == VT_R8) {
    out = tk_utf8_to_utf16_lenient(tk_shortest_real_text(value.to_double()));
    return shape::plain;
  }
  // Only a binary value made of a whole, well-formed braced GUID is one.
  if (ole_variant::is_binary(kind)) {
    ole_guid_extractor guid(value.to_string());
    if (guid.is_valid()) {
      out = guid_bytes(guid.extract());
      return shape::quoted;
    }
  }
  out = value.to_wstring();
  if (out.empty()) return shape::none;
  if (kind == VT_DATE) {
    out = date(out);
    if (out.empty()) return shape::none;
    // A timestamp's milliseconds are part of its text ("...:56.789"), which
    // the date printer leaves out of a date and time.
    // A midnight prints as its day alone.
    const unsigned milliseconds = value.date_value.wMilliseconds;
    if (milliseconds != 0 && milliseconds <= 999 && out.size() == date_only_size) out += u" 00:00:00";
    if (milliseconds != 0 && milliseconds <= 999 && out.size() == date_and_time_size)
      out += tk_wformat(u".%03d", static_cast<int>(milliseconds));
    return shape::quoted;
  }
  if (ole_variant::is_binary(kind)) {
    std::optional<std::u16string> digits = hex_digits(out);
    out = digits.value_or(std::u16string());
    return out.empty() ? shape::none : shape::quoted;
  }
  if (kind == VT_BSTR) return shape::quoted;
  // Digits never hold a quote; "" is how a kind without text prints nothing.
  return out == u"\"\"" ? shape::none : shape::plain;
}
