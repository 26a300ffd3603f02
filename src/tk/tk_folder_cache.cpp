#include "tk_folder_cache.hpp"

#include <map>
#include <mutex>

#include "tk_case.hpp"
#include "tk_folder.hpp"
#include "tk_format.hpp"

namespace {

struct loose_less {
  bool operator()(const std::u16string& a, const std::u16string& b) const { return tk_loose_compare(a, b) < 0; }
};

// Names ignoring case -> the name on disk; empty when the folder could not be listed.
using folder_names = std::map<std::u16string, std::string, loose_less>;

struct cache_state {
  std::mutex mutex;
  int scopes = 0;
  std::size_t listings = 0;
  std::map<std::string, folder_names> folders;
};

cache_state& state() {
  static cache_state s;
  return s;
}

folder_names list_names(const std::string& folder) {
  folder_names names;
  std::vector<tk_folder_entry> entries;
  if (tk_list_folder(folder.empty() ? "." : folder, entries) != tk_list_result::listed) return names;
  // The listing is in lookup order: the first of names equal ignoring case wins.
  for (tk_folder_entry& entry : entries) names.emplace(tk_utf8_to_utf16_lenient(entry.name), std::move(entry.name));
  return names;
}

}  // namespace

tk_folder_cache::scope::scope() {
  std::lock_guard lock(state().mutex);
  ++state().scopes;
}

tk_folder_cache::scope::~scope() {
  std::lock_guard lock(state().mutex);
  if (--state().scopes > 0) return;
  state().folders.clear();
  state().listings = 0;
}

std::optional<std::optional<std::string>> tk_folder_cache::find(const std::string& folder, const std::string& name) {
  cache_state& s = state();
  std::lock_guard lock(s.mutex);
  if (s.scopes == 0) return std::nullopt;
  auto listed = s.folders.find(folder);
  if (listed == s.folders.end()) {
    listed = s.folders.emplace(folder, list_names(folder)).first;
    ++s.listings;
  }
  const folder_names& names = listed->second;
  auto found = names.find(tk_utf8_to_utf16_lenient(name));
  if (found == names.end()) return std::optional<std::string>();
  return std::optional<std::string>(folder + found->second);
}

std::size_t tk_folder_cache::listings() {
  std::lock_guard lock(state().mutex);
  return state().listings;
}
