#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"
#include "tk_trace_file.hpp"

namespace {

// The trace holds every record's data in its SQL: a file it creates is
// readable by its owner only. An existing file keeps the mode it has.
constexpr mode_t trace_mode = 0600;

// Opens the trace file with `flags` added; -1 when it cannot be opened.
int open_trace(const std::string& path, int flags) {
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

void tk_truncate_trace(const std::string& path) {
  int fd = open_trace(path, O_TRUNC);
  if (fd >= 0) ::close(fd);
}

bool tk_append_trace(const std::string& path, std::string_view line) {
  int fd = open_trace(path, O_APPEND);
  if (fd < 0) return false;  // the next message tries again
  const bool written = write_all(fd, line);
  return ::close(fd) == 0 && written;
}

std::string tk_executable_path() {
  char buffer[4096];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) TK_ASSERTION_FAILED();
  return std::string(buffer, static_cast<std::size_t>(n));
}
