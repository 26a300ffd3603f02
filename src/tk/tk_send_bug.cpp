#include "tk_send_bug.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <vector>

#include "tk_logger.hpp"

extern char** environ;

namespace {

std::string percent_encode(const std::string& text) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 0x0F];
    }
  }
  return out;
}

std::string report_date() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return tk_format("%d/%d/%d %d:%d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                   t.tm_min);
}

// Runs `program url` through the PATH and waits for it; false when it could not start.
bool run_mail_program(const char* program, const std::string& url) {
  std::vector<char*> argv{const_cast<char*>(program), const_cast<char*>(url.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  tk_log(2, "%s returns %d", program, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return WIFEXITED(status) && WEXITSTATUS(status) != 127;
}

}  // namespace

std::string tk_bug_report_url(const std::string& subject_tail, const std::string& body) {
  std::string full_body = body + "\n\nDate: " + report_date();
  return std::string("mailto:") + tk_support_mailbox +
         "?subject=" + percent_encode("Bug report on " + subject_tail) +
         "&body=" + percent_encode(full_body);
}

void tk_send_bug(const std::string& subject_tail, const std::string& body) noexcept {
  tk_log(2, "tk_send_bug(%s|%s)", subject_tail, body);
  try {
    std::string url = tk_bug_report_url(subject_tail, body);
    if (!run_mail_program("xdg-email", url) && !run_mail_program("xdg-open", url))
      tk_log(2, "Failed to locate a mail program");
  } catch (...) {
    tk_log(2, "tk_send_bug failed");
  }
}
