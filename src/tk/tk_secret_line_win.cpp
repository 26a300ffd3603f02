#include <io.h>
#include <windows.h>

#include <atomic>

#include "tk_secret_line.hpp"
#include "tk_win_text.hpp"

namespace {

// The console as it was, for Ctrl-C or Ctrl-Break at the prompt: without it
// the user's console would stay without echo.
std::atomic<HANDLE> echo_console{nullptr};
std::atomic<DWORD> echo_saved{0};

BOOL WINAPI restore_echo(DWORD) {
  if (HANDLE console = echo_console.load()) ::SetConsoleMode(console, echo_saved.load());
  return FALSE;  // the default handling ends the process as before
}

// Turns a console's echo off for its lifetime.
class echo_off {
 public:
  echo_off(HANDLE console, DWORD mode) : console_(console), saved_(mode) {
    echo_console = console;
    echo_saved = mode;
    ::SetConsoleCtrlHandler(restore_echo, TRUE);
    active_ = ::SetConsoleMode(console, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT) != 0;
  }
  ~echo_off() {
    if (active_) ::SetConsoleMode(console_, saved_);
    ::SetConsoleCtrlHandler(restore_echo, FALSE);
    echo_console = nullptr;
  }
  echo_off(const echo_off&) = delete;
  echo_off& operator=(const echo_off&) = delete;

 private:
  HANDLE console_;
  DWORD saved_;
  bool active_ = false;
};

// Wide characters from the console, so that a password is the same text
// whatever the console's code page; returned as UTF-8.
bool read_console_line(HANDLE console, std::string& line) {
  std::wstring typed;
  bool got_any = false;
  for (;;) {
    wchar_t c = 0;
    DWORD n = 0;
    if (!::ReadConsoleW(console, &c, 1, &n, nullptr) || n == 0) break;
    got_any = true;
    if (c == L'\n') break;
    typed += c;
  }
  if (!typed.empty() && typed.back() == L'\r') typed.pop_back();
  line = tk_win_utf8(typed);
  return got_any;
}

}  // namespace

bool tk_read_secret_line(int fd, std::FILE* prompt_out, const char* prompt, std::string& line) {
  line.clear();
  auto console = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !::GetConsoleMode(console, &mode)) return tk_read_plain_line(fd, line);
  bool got_any;
  {
    echo_off quiet(console, mode);
    std::fputs(prompt, prompt_out);
    std::fflush(prompt_out);
    got_any = read_console_line(console, line);
  }
  std::fputc('\n', prompt_out);  // the user's line end was not echoed
  std::fflush(prompt_out);
  return got_any;
}
