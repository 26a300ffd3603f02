#include <windows.h>

#include "tk_case.hpp"

namespace {

// One-to-one mapping by the invariant locale's tables (the length stays).
std::u16string mapped(std::u16string_view text, DWORD how) {
  std::u16string out(text);
  if (text.empty() || text.size() > INT_MAX) return out;
  auto* units = reinterpret_cast<wchar_t*>(out.data());
  int length = static_cast<int>(out.size());
  ::LCMapStringEx(LOCALE_NAME_INVARIANT, how, units, length, units, length, nullptr, nullptr, 0);
  return out;
}

// Windows has no case folding call: upper then lower case gives the folded
// form of the letters that matter ("ſ" and "s", the Kelvin sign and "k").
std::u16string folded(std::u16string_view text) {
  return mapped(mapped(text, LCMAP_UPPERCASE), LCMAP_LOWERCASE);
}

WORD character_type(char32_t c) {
  wchar_t units[2];
  int count = 1;
  if (c > 0xFFFF) {
    units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    count = 2;
  } else {
    units[0] = static_cast<wchar_t>(c);
  }
  WORD types[2] = {};
  if (!::GetStringTypeW(CT_CTYPE1, units, count, types)) return 0;
  return types[0];
}

}  // namespace

std::u16string tk_to_upper(std::u16string_view text) { return mapped(text, LCMAP_UPPERCASE); }
std::u16string tk_to_lower(std::u16string_view text) { return mapped(text, LCMAP_LOWERCASE); }

int tk_loose_compare(std::u16string_view a, std::u16string_view b) { return folded(a).compare(folded(b)); }

char16_t tk_fold_letter(char16_t c) { return folded(std::u16string_view(&c, 1))[0]; }

bool tk_is_alpha(char32_t c) { return (character_type(c) & C1_ALPHA) != 0; }
bool tk_is_alnum(char32_t c) { return (character_type(c) & (C1_ALPHA | C1_DIGIT)) != 0; }
