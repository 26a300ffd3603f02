// Case handling of names and text, by Unicode data (ICU on POSIX, the
// system's invariant-locale tables on Windows).
//
// Upper and lower casing use the simple one-to-one mapping of each character,
// so a name never grows (the full mapping turns "ß" into "SS" and could push
// a checked name past its length limit). The loose comparison is Unicode case
// folding: what a user means by "the same name".
#pragma once

#include <string>
#include <string_view>

std::u16string tk_to_upper(std::u16string_view text);
std::u16string tk_to_lower(std::u16string_view text);

// Negative, zero or positive, as the case-folded texts compare.
int tk_loose_compare(std::u16string_view a, std::u16string_view b);
inline bool tk_loose_equal(std::u16string_view a, std::u16string_view b) {
  return tk_loose_compare(a, b) == 0;
}

// One UTF-16 unit case-folded the simple way (the unit itself when it has no
// single-unit fold): what the wildcard match compares.
char16_t tk_fold_letter(char16_t c);

bool tk_is_alpha(char32_t c);
bool tk_is_alnum(char32_t c);
