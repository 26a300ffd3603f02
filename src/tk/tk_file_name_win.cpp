#include <windows.h>

#include "tk_file_name.hpp"
#include "tk_mail_assertion.hpp"
#include "tk_win_text.hpp"
#include "tk_windows_path.hpp"

namespace {

std::string current_directory() {
  DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring buffer(needed, L'\0');
  DWORD n = needed ? ::GetCurrentDirectoryW(needed, buffer.data()) : 0;
  if (n == 0 || n >= needed) TK_ASSERTION_FAILED();
  return tk_win_utf8(std::wstring_view(buffer.data(), n));
}

}  // namespace

void tk_split_full_path(const std::string& full, tk_file_name& parts) {
  tk_windows_path_parts split = tk_windows_split(full);
  parts.drive = split.drive;
  parts.folder = split.folder;
  parts.name = split.name;
  parts.extension = split.extension;
}

std::string tk_with_separator(const std::string& folder) {
  return folder.empty() || tk_windows_is_separator(folder.back()) ? folder : folder + "\\";
}

std::string tk_full_path(const std::string& path) {
  return tk_windows_is_absolute(path) ? tk_windows_full_path(path, {}) : tk_windows_full_path(path, current_directory());
}

std::filesystem::path tk_native_path(const std::string& path) { return tk_win_wide(path); }

std::FILE* tk_open_stdio(const std::string& path, const char* mode) {
  return ::_wfopen(tk_win_wide(path).c_str(), tk_win_wide(mode).c_str());
}
