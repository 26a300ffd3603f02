// How Windows programs split their command line into arguments, as a plain
// text function with no system call, so that it is built and tested on every
// platform. Spaces and tabs separate arguments outside double quotes; 2n
// backslashes before a quote give n backslashes and the quote opens or
// closes a quoted part, 2n+1 give n and a literal quote, other backslashes
// stand for themselves; a doubled quote inside a quoted part is one literal
// quote. The program's name, first, ends at its closing quote or at the
// first space, with no backslash rule.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// For each argument, where each of its characters stands in `line`: the
// quotes and escaping backslashes that make no character of their own are
// left out.
std::vector<std::vector<std::size_t>> tk_windows_argument_places(std::u16string_view line);
// Where to write over argument `index` after its first `keep` characters so
// that the line still splits into the same arguments: its characters from
// there on with the backslashes and quotes that escape them, not the quotes
// that open or close a quoted part. Nothing when there is no such argument.
std::vector<std::size_t> tk_windows_argument_mask(std::u16string_view line, std::size_t index, std::size_t keep);
