#include "win_ui_calls.hpp"

namespace {
constexpr UINT run_work = WM_APP + 1;
constexpr const wchar_t* class_name = L"VesperUiCalls";
}  // namespace

win_ui_calls::win_ui_calls() : thread_(::GetCurrentThreadId()) {
  WNDCLASSW kind{};
  kind.lpfnWndProc = &win_ui_calls::procedure;
  kind.hInstance = ::GetModuleHandleW(nullptr);
  kind.lpszClassName = class_name;
  ::RegisterClassW(&kind);  // fails harmlessly when registered before
  window_ = ::CreateWindowExW(0, class_name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, kind.hInstance, nullptr);
}

win_ui_calls::~win_ui_calls() {
  if (window_) ::DestroyWindow(window_);
}

void win_ui_calls::run(const std::function<void()>& work) const {
  if (::GetCurrentThreadId() == thread_ || !window_) {
    work();
    return;
  }
  ::SendMessageW(window_, run_work, 0, reinterpret_cast<LPARAM>(&work));
}

LRESULT CALLBACK win_ui_calls::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != run_work) return ::DefWindowProcW(window, message, wparam, lparam);
  (*reinterpret_cast<const std::function<void()>*>(lparam))();
  return 0;
}
