#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "tk_file_exist.hpp"
#include "tk_logger.hpp"
#include "tk_win_text.hpp"

// Shared for reading, writing and deleting, so that testing a file never
// stands in the way of another program using it.
int tk_system_open(const char* path, int flags) {
  DWORD access = (flags & O_RDWR) ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  HANDLE file = ::CreateFileW(tk_win_wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), flags | O_BINARY);
  if (fd < 0) ::CloseHandle(file);
  return fd;
}

bool tk_is_file_exist(const std::string& path, tk_file_access access) {
  tk_log(1, "tk_is_file_exist(%s)", path);
  int fd = tk_open_for_test(path.c_str(), access == tk_file_access::read_write ? O_RDWR : O_RDONLY);
  bool exists = false;
  if (fd >= 0) {
    auto file = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    BY_HANDLE_FILE_INFORMATION info{};
    exists = ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
             !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    ::_close(fd);
  }
  if (!exists) tk_log(1, "File not exists!");
  return exists;
}

bool tk_is_path_exist(const std::string& path) {
  tk_log(1, "tk_is_path_exist(%s)", path);
  if (path.empty()) return false;
  DWORD attributes = ::GetFileAttributesW(tk_win_wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The file system ignores case: the entry found must also be spelled as
// asked, so that a lookup ignoring case can report the name as stored.
bool tk_is_entry_exist(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
  std::size_t last = trimmed.find_last_of("\\/:");
  std::string name = last == std::string::npos ? trimmed : trimmed.substr(last + 1);
  if (name.empty() || name.find_first_of("*?") != std::string::npos)  // a root, or a pattern
    return ::GetFileAttributesW(tk_win_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  WIN32_FIND_DATAW found{};
  HANDLE find = ::FindFirstFileW(tk_win_wide(trimmed).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  ::FindClose(find);
  return tk_win_utf8(found.cFileName) == name;
}

bool tk_file_size_and_time(const std::string& path, std::uint64_t& size, std::int64_t& seconds) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!::GetFileAttributesExW(tk_win_wide(path).c_str(), GetFileExInfoStandard, &info)) return false;
  size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  // FILETIME counts 100 ns steps from 1601; 11644473600 s lie between 1601 and 1970.
  std::uint64_t ticks = static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 |
                        info.ftLastWriteTime.dwLowDateTime;
  seconds = static_cast<std::int64_t>(ticks / 10000000) - 11644473600LL;
  return true;
}

bool tk_file_size_and_exact_time(const std::string& path, std::uint64_t& size, std::int64_t& nanoseconds) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!::GetFileAttributesExW(tk_win_wide(path).c_str(), GetFileExInfoStandard, &info)) return false;
  size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  const std::uint64_t ticks = static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 |
                              info.ftLastWriteTime.dwLowDateTime;
  nanoseconds = (static_cast<std::int64_t>(ticks) - 116444736000000000LL) * 100;
  return true;
}
