#include "tk_logger.hpp"

#include <ctime>

#include "tk_file_name.hpp"
#include "tk_trace_file.hpp"

namespace {

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

std::string tk_default_log_path() {
  // Split by the platform's rules (on Windows a backslash ends the folder),
  // without tk_file_name's traced constructor: this runs while the logger
  // that trace would go to is being built.
  tk_file_name exe;
  tk_split_full_path(tk_executable_path(), exe);
  return exe.folder_path() + exe.name + ".log";
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
  // A link the user accepted as the trace (checked before) is followed; a
  // link that appears later is not.
  follow_link = tk_is_symbolic_link(path);
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
  tk_truncate_trace(path, follow_link);
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
  if (!tk_append_trace(path, line, follow_link)) write_failed_.store(true, std::memory_order_relaxed);
}

void tk_logger::write_wide_line(std::string_view utf8_message) {
  std::string_view cut = utf8_message.substr(0, fit_utf16_units(utf8_message, wide_limit));
  write_line(cut.size() < wide_limit ? cut : std::string_view());
}
