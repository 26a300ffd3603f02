#include "tk_wstring.hpp"

#include "tk_case.hpp"
#include "tk_logger.hpp"

tk_wstring tk_wstring::to_upper() {
  tk_log(1, "tk_wstring::to_upper(%s)", static_cast<const std::u16string&>(*this));
  if (!empty()) assign(tk_to_upper(*this));
  return *this;
}

tk_wstring tk_wstring::to_lower() {
  tk_log(1, "tk_wstring::to_lower(%s)", static_cast<const std::u16string&>(*this));
  if (empty()) return *this;
  tk_log(2, "Step #0");
  std::u16string lower = tk_to_lower(*this);
  tk_log(2, "Step #1");
  assign(lower);
  tk_log(2, "Step #2");
  return *this;
}

tk_wstring tk_wstring::replace_all(std::u16string_view from, std::u16string_view to) {
  tk_log(1, "tk_wstring::replace_all(%s,%s)", std::u16string(from), std::u16string(to));
  if (from.empty()) return *this;
  for (size_type at = find(from); at != npos; at = find(from, at + to.size()))
    replace(at, from.size(), to);
  return *this;
}

std::vector<std::u16string> tk_wstring::split(char16_t delimiter) const {
  tk_log(1, "tk_wstring::split(%c)", delimiter);
  std::vector<std::u16string> pieces;
  if (empty()) return pieces;
  size_type start = 0;
  for (size_type at = find(delimiter); at != npos; at = find(delimiter, start)) {
    pieces.emplace_back(substr(start, at - start));
    start = at + 1;
  }
  pieces.emplace_back(substr(start));
  return pieces;
}
