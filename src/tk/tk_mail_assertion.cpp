#include "tk_mail_assertion.hpp"

#include "tk_logger.hpp"

std::string tk_mail_assertion::encode_place(const char* file, int line) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string place = tk_format("%s\\%d", file ? file : "", line);
  std::string hex;
  hex.reserve(place.size() * 2);
  for (unsigned char c : place) {
    hex += digits[c >> 4];
    hex += digits[c & 0x0F];
  }
  return hex;
}

tk_mail_assertion::tk_mail_assertion(const char* file, int line)
    : tk_exception("Internal error: \ncode=" + encode_place(file, line), internal_level, 0) {
  tk_log(2, "tk_mail_assertion::ctor(%s)", file ? file : "");
}
