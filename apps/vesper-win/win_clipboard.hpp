// Puts text on the Windows clipboard as Unicode text.
#pragma once

#include <windows.h>

#include <string>

class win_clipboard {
 public:
  // False when the clipboard could not be opened or the memory not had.
  static bool put(HWND owner, const std::wstring& text);
  // The selected part of the edit control's text, or all of it when nothing is selected.
  static bool put_selection(HWND edit);
};
