#include "win_clipboard.hpp"

#include <cstring>

#include "tk_logger.hpp"

bool win_clipboard::put(HWND owner, const std::wstring& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) {
    tk_log(3, "GlobalAlloc failed");
    return false;
  }
  std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
  ::GlobalUnlock(memory);
  if (!::OpenClipboard(owner)) {
    ::GlobalFree(memory);
    return false;
  }
  tk_log(1, "OpenClipboard succeeded");
  ::EmptyClipboard();
  const bool put = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  if (!put) ::GlobalFree(memory);
  ::CloseClipboard();
  return put;
}
