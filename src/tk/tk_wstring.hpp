// A wide (UTF-16) string with the few text operations the program needs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class tk_wstring : public std::u16string {
 public:
  using std::u16string::u16string;
  tk_wstring() = default;
  tk_wstring(std::u16string text) : std::u16string(std::move(text)) {}  // NOLINT: a view of it

  // Change the string itself (simple case mapping) and return a copy.
  tk_wstring to_upper();
  tk_wstring to_lower();
  // Replaces every `from`, searching on after each inserted `to`, so a
  // replacement is never searched again; returns a copy of the result.
  tk_wstring replace_all(std::u16string_view from, std::u16string_view to);
  // The pieces between delimiters, empty ones included ("a,,b," gives a, "",
  // b, ""); an empty string gives no pieces.
  std::vector<std::u16string> split(char16_t delimiter) const;
};
