#include "tk_secret_line.hpp"

#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Turns a terminal's echo off for its lifetime.
class echo_off {
 public:
  explicit echo_off(int fd) : fd_(fd) {
    if (::tcgetattr(fd_, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    active_ = ::tcsetattr(fd_, TCSANOW, &quiet) == 0;
  }
  ~echo_off() {
    if (active_) ::tcsetattr(fd_, TCSANOW, &saved_);
  }
  echo_off(const echo_off&) = delete;
  echo_off& operator=(const echo_off&) = delete;

 private:
  int fd_;
  termios saved_{};
  bool active_ = false;
};

// Byte by byte, so that nothing after the line end is taken from the input.
bool read_line(int fd, std::string& line) {
  bool got_any = false;
  for (;;) {
    char c;
    ssize_t n = ::read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got_any = true;
    if (c == '\n') break;
    line += c;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return got_any;
}

}  // namespace

bool tk_read_secret_line(int fd, std::FILE* prompt_out, const char* prompt, std::string& line) {
  line.clear();
  if (!::isatty(fd)) return read_line(fd, line);
  bool got_any;
  {
    echo_off quiet(fd);
    std::fputs(prompt, prompt_out);
    std::fflush(prompt_out);
    got_any = read_line(fd, line);
  }
  std::fputc('\n', prompt_out);  // the user's line end was not echoed
  std::fflush(prompt_out);
  return got_any;
}
