#include <windows.h>

#include "tk_file_name.hpp"
#include "tk_folder.hpp"
#include "tk_win_text.hpp"

namespace {

struct find_closer {
  HANDLE find;
  ~find_closer() { ::FindClose(find); }
};

// Only plain files are tables: folders, devices and reparse points (links,
// junctions) are listed as other entries.
bool is_regular(const WIN32_FIND_DATAW& found) {
  constexpr DWORD not_plain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT;
  return (found.dwFileAttributes & not_plain) == 0;
}

}  // namespace

tk_list_result tk_read_folder(const std::string& folder, std::vector<tk_folder_entry>& entries) {
  WIN32_FIND_DATAW found{};
  HANDLE find = ::FindFirstFileW(tk_win_wide(tk_with_separator(folder) + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)  // a drive's empty root has not even "."
    return ::GetLastError() == ERROR_FILE_NOT_FOUND ? tk_list_result::listed : tk_list_result::cannot_open;
  find_closer closer{find};
  do {
    std::string name = tk_win_utf8(found.cFileName);
    if (name != "." && name != "..") entries.push_back({name, is_regular(found)});
  } while (::FindNextFileW(find, &found));
  return ::GetLastError() == ERROR_NO_MORE_FILES ? tk_list_result::listed : tk_list_result::read_error;
}
