#include "tk_windows_command_line.hpp"

#include <algorithm>

namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

// The program's name: up to its closing quote, or to the first blank.
std::size_t program_name(std::u16string_view line, std::vector<std::size_t>& places) {
  std::size_t at = 0;
  if (!line.empty() && line[0] == u'"') {
    for (at = 1; at < line.size() && line[at] != u'"'; ++at) places.push_back(at);
    return at < line.size() ? at + 1 : at;
  }
  for (; at < line.size() && !is_blank(line[at]); ++at) places.push_back(at);
  return at;
}

// One argument from `at` (no blank there); returns where it ends.
std::size_t argument(std::u16string_view line, std::size_t at, std::vector<std::size_t>& places) {
  bool quoted = false;
  while (at < line.size() && (quoted || !is_blank(line[at]))) {
    if (line[at] == u'\\') {
      std::size_t end = at;
      while (end < line.size() && line[end] == u'\\') ++end;
      const std::size_t count = end - at;
      const bool before_quote = end < line.size() && line[end] == u'"';
      // Before a quote every second backslash stands for one, the last of
      // each pair making it; elsewhere each stands for itself.
      for (std::size_t k = before_quote ? 1 : 0; k < count; k += before_quote ? 2 : 1) places.push_back(at + k);
      at = end;
      if (before_quote && count % 2 == 1) places.push_back(at++);  // an escaped quote
    } else if (line[at] == u'"') {
      if (quoted && at + 1 < line.size() && line[at + 1] == u'"') {
        places.push_back(at + 1);
        at += 2;
      } else {
        quoted = !quoted;
        ++at;
      }
    } else {
      places.push_back(at++);
    }
  }
  return at;
}

}  // namespace

std::vector<std::vector<std::size_t>> tk_windows_argument_places(std::u16string_view line) {
  std::vector<std::vector<std::size_t>> arguments(1);
  std::size_t at = program_name(line, arguments[0]);
  for (;;) {
    while (at < line.size() && is_blank(line[at])) ++at;
    if (at >= line.size()) return arguments;
    arguments.emplace_back();
    at = argument(line, at, arguments.back());
  }
}

std::vector<std::size_t> tk_windows_argument_mask(std::u16string_view line, std::size_t index, std::size_t keep) {
  const auto arguments = tk_windows_argument_places(line);
  if (index >= arguments.size() || keep >= arguments[index].size()) return {};
  const std::vector<std::size_t>& places = arguments[index];
  auto is_character = [&](std::size_t at) { return std::binary_search(places.begin(), places.end(), at); };
  std::vector<std::size_t> mask;
  for (std::size_t at = keep ? places[keep - 1] + 1 : places[0]; at <= places.back(); ++at) {
    // A quote that makes no character opens or closes a quoted part, unless
    // it is the first of a doubled one.
    const bool delimiter =
        line[at] == u'"' && !is_character(at) && !(at + 1 < line.size() && line[at + 1] == u'"' && is_character(at + 1));
    if (!delimiter) mask.push_back(at);
  }
  return mask;
}
