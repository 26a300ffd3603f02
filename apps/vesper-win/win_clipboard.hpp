// Puts text on the Windows clipboard as Unicode text.
#pragma once

#include <windows.h>

#include <string>

class win_clipboard {
 public:
  // False when the clipboard could not be opened or the memory not had.
  static bool put(HWND owner, const std::wstring& text);
};
