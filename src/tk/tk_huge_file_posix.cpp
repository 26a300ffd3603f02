#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tk_exception.hpp"
#include "tk_exception_ex.hpp"
#include "tk_huge_file.hpp"
#include "tk_logger.hpp"

namespace {
[[noreturn]] void raise_open_error() {
  throw tk_exception("Error opening file", tk_exception::item_level);
}
}  // namespace

tk_huge_file::tk_huge_file(const std::string& file_name) : name_(file_name) {
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

std::size_t tk_huge_file::read_at(std::uint64_t offset, void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw tk_exception_ex("", tk_exception::item_level);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

