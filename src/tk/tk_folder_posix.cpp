#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "tk_folder.hpp"

namespace {

struct dir_closer {
  void operator()(DIR* d) const { ::closedir(d); }
};

bool is_regular(const std::string& folder, const dirent* entry) {
  if (entry->d_type == DT_REG) return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
  struct stat info {};
  return ::stat((folder + "/" + entry->d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

tk_list_result tk_read_folder(const std::string& folder, std::vector<tk_folder_entry>& entries) {
  std::unique_ptr<DIR, dir_closer> dir(::opendir(folder.c_str()));
  if (!dir) return tk_list_result::cannot_open;
  errno = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") entries.push_back({name, is_regular(folder, entry)});
    errno = 0;
  }
  return errno != 0 ? tk_list_result::read_error : tk_list_result::listed;
}
