#include <windows.h>

#include "tk_shared_library.hpp"
#include "tk_win_text.hpp"

tk_shared_library::tk_shared_library(const std::string& name)
    : handle_(::LoadLibraryW(tk_win_wide(name).c_str())) {
  message_ = handle_ ? "loaded" : tk_win_error_text(::GetLastError());
}

tk_shared_library::~tk_shared_library() {
  if (handle_) ::FreeLibrary(static_cast<HMODULE>(handle_));
}

void* tk_shared_library::symbol(const char* name) const {
  return handle_ ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

std::string tk_shared_library::file_path() const {
  if (!handle_) return "?";
  std::wstring path(32768, L'\0');
  DWORD n = ::GetModuleFileNameW(static_cast<HMODULE>(handle_), path.data(), static_cast<DWORD>(path.size()));
  return n == 0 || n >= path.size() ? "?" : tk_win_utf8(std::wstring_view(path.data(), n));
}

bool tk_shared_library::is_platform_name(std::string_view name) {
  if (name.size() < 4) return false;
  std::string_view tail = name.substr(name.size() - 4);
  return tail.size() == 4 && tail[0] == '.' && (tail[1] | 0x20) == 'd' && (tail[2] | 0x20) == 'l' &&
         (tail[3] | 0x20) == 'l';
}

const char* tk_shared_library::library_folder() { return "bin"; }
