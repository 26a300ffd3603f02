// Runs work on the user-interface thread from any thread and waits for it:
// the run's worker asks its questions (the error dialogs) this way. A
// message-only window made on the user-interface thread receives the work
// through SendMessageW, which blocks the caller until it has been done.
#pragma once

#include <windows.h>

#include <functional>

class win_ui_calls {
 public:
  // Made on the user-interface thread.
  win_ui_calls();
  ~win_ui_calls();
  win_ui_calls(const win_ui_calls&) = delete;
  win_ui_calls& operator=(const win_ui_calls&) = delete;

  void run(const std::function<void()>& work) const;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND window_ = nullptr;
  DWORD thread_ = 0;
};
