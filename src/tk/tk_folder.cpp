#include "tk_folder.hpp"

#include <algorithm>

#include "tk_case.hpp"
#include "tk_file_exist.hpp"
#include "tk_file_name.hpp"
#include "tk_folder_cache.hpp"
#include "tk_format.hpp"

namespace {

bool same_letter(char16_t a, char16_t b) {
  return a == b || tk_fold_letter(a) == tk_fold_letter(b);
}

bool listing_order(const tk_folder_entry& a, const tk_folder_entry& b) {
  std::u16string wa = tk_utf8_to_utf16_lenient(a.name);
  std::u16string wb = tk_utf8_to_utf16_lenient(b.name);
  int loose = tk_loose_compare(wa, wb);
  return loose != 0 ? loose < 0 : a.name < b.name;
}

}  // namespace

bool tk_wildcard_match(std::u16string_view pattern, std::u16string_view name) {
  // Greedy match with one backtrack point: linear for the patterns in use.
  std::size_t p = 0, n = 0, star = std::u16string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || same_letter(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

tk_list_result tk_list_folder(const std::string& folder, std::vector<tk_folder_entry>& entries) {
  entries.clear();
  tk_list_result result = tk_read_folder(folder, entries);
  if (result != tk_list_result::listed) return result;
  std::sort(entries.begin(), entries.end(), listing_order);
  return tk_list_result::listed;
}

std::optional<std::string> tk_find_ignoring_case(const std::string& folder,
                                                 const std::string& name) {
  std::string base = tk_with_separator(folder);
  if (tk_is_entry_exist(base + name)) return base + name;
  if (auto cached = tk_folder_cache::find(base, name)) return *cached;
  std::vector<tk_folder_entry> entries;
  if (tk_list_folder(base.empty() ? "." : base, entries) != tk_list_result::listed) return {};
  std::u16string wanted = tk_utf8_to_utf16_lenient(name);
  for (const tk_folder_entry& entry : entries)
    if (tk_loose_equal(tk_utf8_to_utf16_lenient(entry.name), wanted)) return base + entry.name;
  return {};
}
