#include "tk_printable_name.hpp"

#include "tk_format.hpp"

namespace {

// C0 and C1 controls, DEL, and the characters that break a line or change
// the direction in which the following text is drawn.
bool acts_on_terminal(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void append_escape(std::u16string& out, char16_t c) {
  static const char16_t digits[] = u"0123456789ABCDEF";
  switch (c) {
    case u'\n': out += u"\\n"; return;
    case u'\r': out += u"\\r"; return;
    case u'\t': out += u"\\t"; return;
    default: break;
  }
  const int width = c < 0x100 ? 2 : 4;
  out += c < 0x100 ? u"\\x" : u"\\u";
  for (int shift = (width - 1) * 4; shift >= 0; shift -= 4) out += digits[(c >> shift) & 0xF];
}

}  // namespace

std::u16string tk_printable_name(std::u16string_view name) {
  std::u16string out;
  out.reserve(name.size());
  for (char16_t c : name) {
    if (acts_on_terminal(c))
      append_escape(out, c);
    else
      out += c;
  }
  return out;
}

std::string tk_printable_name_utf8(std::u16string_view name) {
  return tk_utf16_to_utf8_lenient(tk_printable_name(name));
}

std::string tk_printable_name_utf8(std::string_view name) {
  return tk_printable_name_utf8(tk_utf8_to_utf16_lenient(name));
}
