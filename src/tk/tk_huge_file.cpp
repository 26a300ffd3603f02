#include "tk_huge_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "tk_byte_order.hpp"
#include "tk_exception.hpp"
#include "tk_exception_ex.hpp"
#include "tk_logger.hpp"

namespace {
constexpr int file_error_level = tk_exception::item_level;

[[noreturn]] void raise_open_error() {
  throw tk_exception("Error opening file", file_error_level);
}
}  // namespace

tk_huge_file::tk_huge_file(const std::string& file_name, bool) : name_(file_name) {
  tk_log(2, "tk_huge_file::ctor(%s)", file_name);
  // Non-blocking, so that a FIFO given as a table cannot hang the open.
  fd_ = ::open(file_name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) {
    tk_log(1, "open failed: errno=%d", errno);
    raise_open_error();
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    tk_log(1, "Not a regular file");
    ::close(fd_);
    fd_ = -1;
    raise_open_error();
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
}

tk_huge_file::~tk_huge_file() {
  tk_log(2, "tk_huge_file::dtor");
  if (fd_ >= 0) ::close(fd_);
}

std::size_t tk_huge_file::read_some(std::uint64_t offset, void* buffer, std::size_t count) {
  // An offset past what a file position holds can only come from a damaged
  // length field: there is nothing there.
  constexpr std::uint64_t max_position = static_cast<std::uint64_t>(INT64_MAX);
  if (offset >= max_position) return 0;
  if (count > max_position - offset) count = static_cast<std::size_t>(max_position - offset);
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw tk_exception_ex("", file_error_level);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void tk_huge_file::read(std::uint64_t offset, void* buffer, std::size_t count) {
  if (read_some(offset, buffer, count) != count)
    throw tk_exception("Error reading from file", file_error_level);
}

std::uint8_t tk_huge_file::read_byte(std::uint64_t offset) {
  std::uint8_t b = 0;
  read(offset, &b, 1);
  return b;
}

std::uint32_t tk_huge_file::read_dword(std::uint64_t offset) {
  std::uint8_t b[4];
  read(offset, b, 4);
  return tk_read_le32(b);
}
