#include <windows.h>

#include "tk_logger.hpp"
#include "tk_private_file.hpp"
#include "tk_win_text.hpp"

bool tk_write_private_file(const std::string& path, std::string_view text) {
  HANDLE file = ::CreateFileW(tk_win_wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    tk_log(1, "Cannot open %s: %s", path, tk_win_error_text(::GetLastError()));
    return false;
  }
  bool ok = ::SetEndOfFile(file) != 0;
  while (ok && !text.empty()) {
    DWORD chunk = text.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(text.size());
    DWORD written = 0;
    ok = ::WriteFile(file, text.data(), chunk, &written, nullptr) && written > 0;
    text.remove_prefix(written);
  }
  if (!ok) tk_log(1, "Cannot write %s: %s", path, tk_win_error_text(::GetLastError()));
  return ::CloseHandle(file) && ok;
}

bool tk_create_private_file(const std::string& path) {
  HANDLE file = ::CreateFileW(tk_win_wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    tk_log(1, "Cannot create %s: %s", path, tk_win_error_text(::GetLastError()));
    return false;
  }
  return ::CloseHandle(file) != 0;
}
