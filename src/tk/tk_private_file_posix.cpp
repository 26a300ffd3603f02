#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tk_logger.hpp"
#include "tk_private_file.hpp"

namespace {

bool write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

bool tk_write_private_file(const std::string& path, std::string_view text) {
  // Opened without truncating so that a file whose mode cannot be set is
  // left as it was.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    tk_log(1, "Cannot open %s: %s", path, std::strerror(errno));
    return false;
  }
  bool ok = ::fchmod(fd, 0600) == 0 && ::ftruncate(fd, 0) == 0 && write_all(fd, text);
  if (!ok) tk_log(1, "Cannot write %s: %s", path, std::strerror(errno));
  ok = ::close(fd) == 0 && ok;
  return ok;
}

bool tk_create_private_file(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  } while (fd < 0 && errno == EINTR);
  if (fd >= 0) return ::close(fd) == 0;
  if (errno == EEXIST) return true;
  tk_log(1, "Cannot create %s: %s", path, std::strerror(errno));
  return false;
}
