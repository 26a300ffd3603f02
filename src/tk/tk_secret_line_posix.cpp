#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

#include "tk_secret_line.hpp"

namespace {

// The terminal as it was, for a signal that ends the process at the prompt:
// without it, Ctrl-C there would leave the user's shell without echo.
int echo_fd = -1;
termios echo_saved{};
constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void restore_echo_and_end(int signal_number) {
  ::tcsetattr(echo_fd, TCSANOW, &echo_saved);  // async-signal-safe
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// Turns a terminal's echo off for its lifetime.
class echo_off {
 public:
  explicit echo_off(int fd) : fd_(fd) {
    if (::tcgetattr(fd_, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    echo_fd = fd_;
    echo_saved = saved_;
    struct sigaction restore {};
    restore.sa_handler = restore_echo_and_end;
    for (std::size_t i = 0; i < std::size(ending_signals); ++i) ::sigaction(ending_signals[i], &restore, &previous_[i]);
    active_ = ::tcsetattr(fd_, TCSANOW, &quiet) == 0;
  }
  ~echo_off() {
    if (active_) ::tcsetattr(fd_, TCSANOW, &saved_);
    for (std::size_t i = 0; i < std::size(ending_signals); ++i) ::sigaction(ending_signals[i], &previous_[i], nullptr);
  }
  echo_off(const echo_off&) = delete;
  echo_off& operator=(const echo_off&) = delete;

 private:
  int fd_;
  termios saved_{};
  struct sigaction previous_[std::size(ending_signals)] {};
  bool active_ = false;
};

}  // namespace

bool tk_read_secret_line(int fd, std::FILE* prompt_out, const char* prompt, std::string& line) {
  line.clear();
  if (!::isatty(fd)) return tk_read_plain_line(fd, line);
  bool got_any;
  {
    echo_off quiet(fd);
    std::fputs(prompt, prompt_out);
    std::fflush(prompt_out);
    got_any = tk_read_plain_line(fd, line);
  }
  std::fputc('\n', prompt_out);  // the user's line end was not echoed
  std::fflush(prompt_out);
  return got_any;
}
