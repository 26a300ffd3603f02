#include "tk_file_exist.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "tk_convert.hpp"
#include "tk_logger.hpp"

namespace {

// Non-blocking, so that a FIFO with no writer does not hang the test.
int system_open(const char* path, int flags) {
  return ::open(path, flags | O_CLOEXEC | O_NONBLOCK);
}

std::atomic<tk_open_call> open_call{system_open};

template <typename Test>
bool with_narrow_path(const std::u16string& path, Test test) {
  std::string narrow;
  return tk_wide_to_system(path, narrow) && test(narrow);
}

}  // namespace

tk_open_call tk_set_open_call(tk_open_call call) {
  return open_call.exchange(call ? call : system_open);
}

bool tk_is_file_exist(const std::string& path, int mode) {
  tk_log(1, "tk_is_file_exist(%s)", path);
  int fd = open_call.load()(path.c_str(), mode == 1 ? O_RDWR : O_RDONLY);
  struct stat info {};
  bool exists = fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (fd >= 0) ::close(fd);
  if (!exists) tk_log(1, "File not exists!");
  return exists;
}

bool tk_is_file_exist(const std::u16string& path, int mode) {
  return with_narrow_path(path, [mode](const std::string& p) { return tk_is_file_exist(p, mode); });
}

bool tk_is_path_exist(const std::string& path) {
  tk_log(1, "tk_is_path_exist(%s)", path);
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

bool tk_is_path_exist(const std::u16string& path) {
  return with_narrow_path(path, [](const std::string& p) { return tk_is_path_exist(p); });
}
