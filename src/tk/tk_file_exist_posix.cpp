#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tk_file_exist.hpp"
#include "tk_logger.hpp"

// Non-blocking, so that a FIFO with no writer does not hang the test.
int tk_system_open(const char* path, int flags) { return ::open(path, flags | O_CLOEXEC | O_NONBLOCK); }

bool tk_is_file_exist(const std::string& path, tk_file_access access) {
  tk_log(1, "tk_is_file_exist(%s)", path);
  int fd = tk_open_for_test(path.c_str(), access == tk_file_access::read_write ? O_RDWR : O_RDONLY);
  struct stat info {};
  bool exists = fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (fd >= 0) ::close(fd);
  if (!exists) tk_log(1, "File not exists!");
  return exists;
}

bool tk_is_path_exist(const std::string& path) {
  tk_log(1, "tk_is_path_exist(%s)", path);
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

bool tk_is_entry_exist(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool tk_file_size_and_time(const std::string& path, std::uint64_t& size, std::int64_t& seconds) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  size = static_cast<std::uint64_t>(info.st_size);
  seconds = static_cast<std::int64_t>(info.st_mtime);
  return true;
}

bool tk_file_size_and_exact_time(const std::string& path, std::uint64_t& size, std::int64_t& nanoseconds) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  size = static_cast<std::uint64_t>(info.st_size);
  nanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return true;
}
