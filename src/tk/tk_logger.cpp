#include "tk_logger.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

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

void write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a trace line that cannot be written is lost
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Length of the longest prefix of UTF-8 text that takes fewer than `units`
// UTF-16 code units (the wide buffer keeps one unit for its terminator).
std::size_t fit_utf16_units(std::string_view utf8, std::size_t units) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char b = static_cast<unsigned char>(utf8[i]);
    std::size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
    std::size_t need = len == 4 ? 2 : 1;
    if (used + need >= units) return i;
    used += need;
    i += len;
  }
  return utf8.size();
}

}  // namespace

std::string tk_executable_path() {
  char buffer[4096];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) TK_ASSERTION_FAILED();
  return std::string(buffer, static_cast<std::size_t>(n));
}

std::string tk_default_log_path() {
  std::string path = tk_executable_path();
  std::size_t slash = path.rfind('/');
  std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
    path.erase(dot);
  return path + ".log";
}

tk_logger::tk_logger(const char* path_, bool enabled_, int min_level_, bool timestamps_)
    : path(path_ ? std::string(path_) : tk_default_log_path()),
      min_level(min_level_),
      enabled(enabled_),
      timestamps(timestamps_) {
  if (enabled) truncate_file();
  update_gate();
}

tk_logger::~tk_logger() { path.clear(); }

void tk_logger::set_path(const char* path_) {
  if (!path_) TK_ASSERTION_FAILED();
  std::lock_guard lock(mutex_);
  path = path_;
}

void tk_logger::set_enabled(bool on) {
  std::lock_guard lock(mutex_);
  enabled = on;
  update_gate();
}

void tk_logger::update_gate() {
  gate_.store(!enabled ? INT_MAX : truncated ? min_level : INT_MIN, std::memory_order_relaxed);
}

void tk_logger::truncate_file() {
  int fd = open_trace(path, O_TRUNC);
  if (fd >= 0) ::close(fd);
  truncated = true;
}

bool tk_logger::accepts_slowly(int level) {
  std::lock_guard lock(mutex_);
  if (!enabled) return false;
  if (!truncated) {
    truncate_file();
    update_gate();
  }
  return level >= min_level;
}

void tk_logger::write_line(std::string_view message) {
  std::string line;
  line.reserve(message.size() + 12);
  if (timestamps) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    line += tk_format("%02d:%02d:%02d ", local.tm_hour, local.tm_min, local.tm_sec);
  }
  line += message;
  std::lock_guard lock(mutex_);
  if (crlf) line += "\r\n";
  int fd = open_trace(path, O_APPEND);
  if (fd < 0) return;  // skipped silently; the next message tries again
  write_all(fd, line);
  ::close(fd);
}

void tk_logger::write_wide_line(std::string_view utf8_message) {
  std::string_view cut = utf8_message.substr(0, fit_utf16_units(utf8_message, wide_limit));
  write_line(cut.size() < wide_limit ? cut : std::string_view());
}
