#include <windows.h>

#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"
#include "tk_trace_file.hpp"
#include "tk_win_text.hpp"

namespace {

// Other programs (an editor, a second run's tail) may read and even delete
// the trace while it is written. The file takes the folder's access rights:
// beside the program or in the user's profile, that is the user's own.
HANDLE open_trace(const std::string& path, DWORD access) {
  return ::CreateFileW(tk_win_wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

void tk_truncate_trace(const std::string& path, bool) {
  HANDLE file = open_trace(path, GENERIC_WRITE);
  if (file == INVALID_HANDLE_VALUE) return;
  ::SetEndOfFile(file);
  ::CloseHandle(file);
}

bool tk_append_trace(const std::string& path, std::string_view line, bool) {
  HANDLE file = open_trace(path, FILE_APPEND_DATA);
  if (file == INVALID_HANDLE_VALUE) return false;  // the next message tries again
  while (!line.empty()) {
    DWORD chunk = line.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(line.size());
    DWORD written = 0;
    if (!::WriteFile(file, line.data(), chunk, &written, nullptr) || written == 0) break;
    line.remove_prefix(written);
  }
  ::CloseHandle(file);
  return line.empty();
}

// Links on Windows need a privilege to make; the trace follows them.
bool tk_is_symbolic_link(const std::string&) { return false; }
std::string tk_trace_link_refusal(const std::string&) { return {}; }

std::string tk_executable_path() {
  std::wstring buffer(32768, L'\0');
  DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) TK_ASSERTION_FAILED();
  return tk_win_utf8(std::wstring_view(buffer.data(), n));
}
