// The process-wide execution trace. Every message opens the log file, appends
// one line and closes it again. The logger exists only when a front end
// creates it; without one, or while it is disabled, every trace call returns
// at once without formatting its arguments and without raising.
//
// Levels: 1 fine detail, 2 method entry, 3 events meant for the user.
#pragma once

#include <atomic>
#include <climits>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "tk_format.hpp"
#include "tk_singleton.hpp"

class tk_logger : public tk_singleton<tk_logger> {
 public:
  // Size of the buffers a wide message passes through, terminator included.
  static constexpr std::size_t wide_limit = 10240;

  // A null path means the running executable's path with the extension ".log".
  // An enabled logger empties its file at once.
  tk_logger(const char* path, bool enabled, int min_level, bool timestamps);
  ~tk_logger();

  // A null path is an internal error. Leaves `enabled` and `truncated` alone.
  void set_path(const char* path);
  // Turns logging on or off; the first message after that empties the file
  // unless it was already emptied in this process.
  void set_enabled(bool on);

  // Empties the file once per process; true when a message of `level` is to
  // be written. A dropped message costs one comparison: no lock is taken
  // unless the message may be written or the file is still to be emptied.
  bool accepts(int level) {
    return level >= gate_.load(std::memory_order_relaxed) && accepts_slowly(level);
  }
  // Appends one line (timestamp, message, line end).
  void write_line(std::string_view message);
  // True once a line could not be written whole: the log misses something.
  bool write_failed() const { return write_failed_.load(std::memory_order_relaxed); }
  // Same for a message formatted from a wide format: cut to the wide buffer,
  // and written as an empty line when its UTF-8 form does not fit.
  void write_wide_line(std::string_view utf8_message);

  std::string path;
  int min_level;  // set before the first message; set_enabled applies a change
  bool crlf = true;
  bool enabled;  // changed through set_enabled
  bool truncated = false;
  bool timestamps;
  bool follow_link = false;  // the path was a symbolic link when it was set

 private:
  bool accepts_slowly(int level);
  void truncate_file();
  // The lowest level that passes the lock-free check: none while disabled,
  // every level until the file was emptied, else `min_level`.
  void update_gate();
  std::mutex mutex_;
  std::atomic<int> gate_{INT_MAX};
  std::atomic<bool> write_failed_{false};
};

// The path of the running executable, and that path with ".log" for its extension.
std::string tk_executable_path();
std::string tk_default_log_path();

// True when a message of `level` would be written: for callers whose
// arguments cost something to compute before formatting.
inline bool tk_log_wanted(int level) noexcept {
  tk_logger* logger = tk_logger::find();
  return logger && logger->accepts(level);
}

template <typename... Args>
void tk_log(int level, tk_format_string<Args...> format, const Args&... args) noexcept {
  tk_logger* logger = tk_logger::find();
  if (!logger || !logger->accepts(level)) return;
  try {
    logger->write_line(tk_format(format, args...));
  } catch (...) {
    // Tracing never raises.
  }
}

template <typename... Args>
void tk_log_w(int level, tk_wformat_string<Args...> format, const Args&... args) noexcept {
  tk_logger* logger = tk_logger::find();
  if (!logger || !logger->accepts(level)) return;
  try {
    logger->write_wide_line(tk_format(format, args...));
  } catch (...) {
  }
}
