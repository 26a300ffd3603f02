#include "tk_case.hpp"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <climits>

namespace {

template <typename Mapping>
std::u16string map_each(std::u16string_view text, Mapping map) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t c = text[i++];
    if (U16_IS_LEAD(c) && i < text.size() && U16_IS_TRAIL(text[i]))
      c = U16_GET_SUPPLEMENTARY(c, text[i++]);
    char32_t mapped = static_cast<char32_t>(map(static_cast<UChar32>(c)));
    if (mapped <= 0xFFFF) {
      out.push_back(static_cast<char16_t>(mapped));
    } else {
      out.push_back(static_cast<char16_t>(U16_LEAD(mapped)));
      out.push_back(static_cast<char16_t>(U16_TRAIL(mapped)));
    }
  }
  return out;
}

}  // namespace

std::u16string tk_to_upper(std::u16string_view text) { return map_each(text, u_toupper); }
std::u16string tk_to_lower(std::u16string_view text) { return map_each(text, u_tolower); }

int tk_loose_compare(std::u16string_view a, std::u16string_view b) {
  if (a.size() > INT32_MAX || b.size() > INT32_MAX) return a.compare(b);
  UErrorCode status = U_ZERO_ERROR;
  int order = u_strCaseCompare(a.data(), static_cast<int32_t>(a.size()), b.data(),
                               static_cast<int32_t>(b.size()), U_FOLD_CASE_DEFAULT, &status);
  return U_SUCCESS(status) ? order : a.compare(b);
}

char16_t tk_fold_letter(char16_t c) {
  UChar32 folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
  return folded <= 0xFFFF ? static_cast<char16_t>(folded) : c;
}

bool tk_is_alpha(char32_t c) { return u_isalpha(static_cast<UChar32>(c)); }
bool tk_is_alnum(char32_t c) { return u_isalnum(static_cast<UChar32>(c)); }
