#include "tk_folder.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include <unicode/uchar.h>

#include "tk_case.hpp"
#include "tk_folder_cache.hpp"
#include "tk_format.hpp"

namespace {

bool same_letter(char16_t a, char16_t b) {
  return a == b || u_foldCase(a, U_FOLD_CASE_DEFAULT) == u_foldCase(b, U_FOLD_CASE_DEFAULT);
}

struct dir_closer {
  void operator()(DIR* d) const { ::closedir(d); }
};

bool is_regular(const std::string& folder, const dirent* entry) {
  if (entry->d_type == DT_REG) return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
  struct stat info {};
  return ::stat((folder + "/" + entry->d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
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
  std::unique_ptr<DIR, dir_closer> dir(::opendir(folder.c_str()));
  if (!dir) return tk_list_result::cannot_open;
  errno = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") entries.push_back({name, is_regular(folder, entry)});
    errno = 0;
  }
  if (errno != 0) return tk_list_result::read_error;
  std::sort(entries.begin(), entries.end(), listing_order);
  return tk_list_result::listed;
}

std::optional<std::string> tk_find_ignoring_case(const std::string& folder,
                                                 const std::string& name) {
  std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  struct stat info {};
  if (::lstat((base + name).c_str(), &info) == 0) return base + name;
  if (auto cached = tk_folder_cache::find(base, name)) return *cached;
  std::vector<tk_folder_entry> entries;
  if (tk_list_folder(base.empty() ? "." : base, entries) != tk_list_result::listed) return {};
  std::u16string wanted = tk_utf8_to_utf16_lenient(name);
  for (const tk_folder_entry& entry : entries)
    if (tk_loose_equal(tk_utf8_to_utf16_lenient(entry.name), wanted)) return base + entry.name;
  return {};
}
