#include "tk_send_bug.hpp"

#include <ctime>

#include "tk_logger.hpp"

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
    if (!tk_open_mail_url(url)) tk_log(2, "Failed to locate a mail program");
  } catch (...) {
    tk_log(2, "tk_send_bug failed");
  }
}
