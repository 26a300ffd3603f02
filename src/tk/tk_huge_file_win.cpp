#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "tk_exception.hpp"
#include "tk_huge_file.hpp"
#include "tk_logger.hpp"
#include "tk_win_text.hpp"

namespace {

[[noreturn]] void raise_open_error() {
  throw tk_exception("Error opening file", tk_exception::item_level);
}

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

}  // namespace

// Shared for writing and deleting, as a table another program has open must
// still be read; binary, with 64-bit positions.
tk_huge_file::tk_huge_file(const std::string& file_name) : name_(file_name) {
  tk_log(2, "tk_huge_file::ctor(%s)", file_name);
  HANDLE file = ::CreateFileW(tk_win_wide(file_name).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    tk_log(1, "CreateFileW failed: %s", tk_win_error_text(::GetLastError()));
    raise_open_error();
  }
  LARGE_INTEGER size{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size) ||
      (fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY)) < 0) {
    tk_log(1, "Not a regular file");
    ::CloseHandle(file);
    raise_open_error();
  }
  size_ = static_cast<std::uint64_t>(size.QuadPart);
}

tk_huge_file::~tk_huge_file() {
  tk_log(2, "tk_huge_file::dtor");
  if (fd_ >= 0) ::_close(fd_);
}

std::size_t tk_huge_file::read_at(std::uint64_t offset, void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    std::uint64_t at = offset + done;
    OVERLAPPED place{};
    place.Offset = static_cast<DWORD>(at);
    place.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD chunk = count - done > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count - done);
    DWORD n = 0;
    if (!::ReadFile(handle_of(fd_), out + done, chunk, &n, &place)) {
      DWORD error = ::GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      throw tk_exception(tk_win_error_text(error), tk_exception::item_level);
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}
