#include "tk_secret_line.hpp"

#include <unistd.h>

#include <cerrno>

// Byte by byte, so that nothing after the line end is taken from the input.
bool tk_read_plain_line(int fd, std::string& line) {
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

