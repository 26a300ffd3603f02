#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"
#include "tk_trace_file.hpp"

namespace {

// The trace holds every record's data in its SQL: a file it creates is
// readable by its owner only. An existing file keeps the mode it has.
constexpr mode_t trace_mode = 0600;

// Opens the trace file with `flags` added; -1 when it cannot be opened.
int open_trace(const std::string& path, int flags, bool follow_link) {
  if (!follow_link) flags |= O_NOFOLLOW;
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, trace_mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;  // a trace line that cannot be written is lost
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

void tk_truncate_trace(const std::string& path, bool follow_link) {
  int fd = open_trace(path, O_TRUNC, follow_link);
  if (fd >= 0) ::close(fd);
}

bool tk_append_trace(const std::string& path, std::string_view line, bool follow_link) {
  int fd = open_trace(path, O_APPEND, follow_link);
  if (fd < 0) return false;  // the next message tries again
  const bool written = write_all(fd, line);
  return ::close(fd) == 0 && written;
}

bool tk_is_symbolic_link(const std::string& path) {
  struct stat link {};
  return ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
}

std::string tk_trace_link_refusal(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode) || link.st_uid == ::geteuid()) return {};
  struct stat folder {};
  const std::string::size_type slash = path.rfind('/');
  const std::string folder_path = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (::stat(folder_path.c_str(), &folder) == 0 && folder.st_uid == link.st_uid) return {};
  return tk_format("The log file %s is a symbolic link another user made: the trace could empty the file it "
                   "points to. Give a --logfile= of your own.",
                   path);
}

std::string tk_executable_path() {
  char buffer[4096];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) TK_ASSERTION_FAILED();
  return std::string(buffer, static_cast<std::size_t>(n));
}
