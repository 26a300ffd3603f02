#include "tk_temp_chdir.hpp"

#include "tk_convert.hpp"
#include "tk_file_exist.hpp"
#include "tk_file_name.hpp"
#include "tk_folder.hpp"
#include "tk_logger.hpp"

void tk_temp_chdir::initialize(const std::string& path) {
  tk_log(2, "tk_temp_chdir::initialize(%s)", path);
  enter(path, "_chdir failed");
}

void tk_temp_chdir_w::initialize(const std::u16string& path) {
  tk_log(2, "tk_temp_chdir_w::initialize(%s)", path);
  std::string narrow;
  if (!tk_wide_to_system(path, narrow)) {
    tk_log(1, "_wchdir failed");
    return;
  }
  enter(narrow, "_wchdir failed");
}

void tk_temp_chdir::enter(const std::string& path, const char* failure) {
  std::string full = tk_with_separator(path.empty() ? tk_file_name("").folder_path() : tk_full_path(path));
  changed_ = tk_is_path_exist(full);
  if (changed_)
    folder_ = full;
  else
    tk_log(1, "%s", failure);
}

bool tk_temp_chdir::find_files(const std::u16string& pattern,
                               std::vector<std::u16string>& list) const {
  tk_log(2, "tk_temp_chdir::find_files(%s)", pattern);
  list.clear();
  std::vector<tk_folder_entry> entries;
  // Never fall back on the current directory: that is some other folder.
  tk_list_result result =
      changed_ ? tk_list_folder(folder_, entries) : tk_list_result::cannot_open;
  if (result == tk_list_result::read_error) {
    tk_log(2, "Couldn't find next file");
    return false;
  }
  for (const tk_folder_entry& entry : entries) {
    std::u16string name;
    if (!tk_system_to_wide(entry.name, name)) {
      tk_log(1, "Found file with a name that is not UTF-8: %s...ignored", tk_hex_of(entry.name));
      continue;
    }
    if (!tk_wildcard_match(pattern, name)) continue;
    tk_log(1, "Found file: %s", name);
    list.push_back(name);
  }
  if (list.empty()) {
    tk_log(2, "No files found");
    return false;
  }
  tk_log(2, "No more files");
  return true;
}
