// Real numbers as text with a point for the decimal separator, whatever the
// process locale (LC_NUMERIC) says: the wizard takes its locale from the
// environment, and SQL literals, stored values and traces must not change
// with it. Both functions give what printf and strtod give in the "C" locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// printf's %f %F %e %E %g %G %a %A of one double, with its flags (any of
// "-+ #0"), width (-1: none) and precision (-1: the conversion's default).
std::string tk_real_text(double value, char conversion, int precision = -1,
                         std::string_view flags = {}, int width = -1);

// The shortest text that reads back as the same double ("2.3", "1e+300"),
// in fixed or scientific notation, whichever is shorter.
std::string tk_shortest_real_text(double value);

// Reads the real at the start of the text as strtod reads it: white space, a
// sign, decimal or 0x-hexadecimal digits with an optional exponent, INF,
// INFINITY, NAN, NAN(...). Returns the count of characters read, 0 when no
// number starts the text (the value is then 0). A value beyond the range of
// a double reads as ±HUGE_VAL, one too small for it as ±0.
std::size_t tk_read_real(std::string_view text, double* value);
