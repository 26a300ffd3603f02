#include "win_wizard_driver.hpp"

#include <commctrl.h>

#include <chrono>
#include <thread>

#include "ora_error_texts.hpp"
#include "tk_win_text.hpp"

namespace {

struct dialog_script {
  std::wstring title;
  std::function<void(HWND)> script;
  UINT_PTR timer = 0;
};
dialog_script pending;

BOOL CALLBACK find_titled(HWND window, LPARAM found) {
  wchar_t title[256] = {};
  ::GetWindowTextW(window, title, 256);
  if (::IsWindowVisible(window) && pending.title == title) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK look_for_dialog(HWND, UINT, UINT_PTR, DWORD) {
  HWND found = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &find_titled, reinterpret_cast<LPARAM>(&found));
  if (!found) return;
  ::KillTimer(nullptr, pending.timer);
  pending.timer = 0;
  auto script = std::move(pending.script);
  script(found);
}

}  // namespace

win_wizard_driver::win_wizard_driver(const std::string& settings_path, bool real_boxes)
    : handler(ora_error_texts::count(), ora_error_texts::table()),
      app(handler, {settings_path, {}, real_boxes ? nullptr : &prompts}) {}

win_wizard_driver::~win_wizard_driver() {
  if (pending.timer) ::KillTimer(nullptr, pending.timer);
  pending = {};
}

void win_wizard_driver::open(const std::vector<std::string>& arguments) {
  if (!app.open(arguments)) return;
  sheet = app.show_modeless();
  pump_for(100);
}

bool win_wizard_driver::closed() const { return !sheet || !PropSheet_GetCurrentPageHwnd(sheet); }

HWND win_wizard_driver::page() const { return closed() ? nullptr : PropSheet_GetCurrentPageHwnd(sheet); }

int win_wizard_driver::page_index() const {
  return closed() ? -1 : static_cast<int>(PropSheet_HwndToIndex(sheet, page()));
}

void win_wizard_driver::type(int id, const std::string& text) const {
  ::SetDlgItemTextW(page(), id, tk_win_wide(text).c_str());
}

std::string win_wizard_driver::text(int id) const {
  wchar_t buffer[4096] = {};
  ::GetDlgItemTextW(page(), id, buffer, 4096);
  return tk_win_utf8(buffer);
}

void win_wizard_driver::click(int id) {
  ::SendMessageW(::GetDlgItem(page(), id), BM_CLICK, 0, 0);
  pump_for(50);
}

void win_wizard_driver::press(int button) {
  PropSheet_PressButton(sheet, button);
  pump_for(150);
}

bool win_wizard_driver::pump_until(const std::function<bool()>& done, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (sheet && ::IsWindow(sheet) && PropSheet_IsDialogMessage(sheet, &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void win_wizard_driver::pump_for(int milliseconds) {
  pump_until([] { return false; }, milliseconds);
}

std::vector<std::string> win_wizard_driver::rows(int id) const {
  HWND list = ::GetDlgItem(page(), id);
  std::vector<std::string> texts;
  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
    wchar_t buffer[512] = {};
    ListView_GetItemText(list, row, 0, buffer, 512);
    texts.push_back(tk_win_utf8(buffer));
  }
  return texts;
}

int win_wizard_driver::row_of(int id, const std::string& text) const {
  const std::vector<std::string> texts = rows(id);
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (texts[i] == text) return static_cast<int>(i);
  return -1;
}

void win_wizard_driver::select_row(int id, int row) const {
  ListView_SetItemState(::GetDlgItem(page(), id), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// What the list sends its page on a double click or Enter.
void win_wizard_driver::activate_row(int id, int row) {
  select_row(id, row);
  NMITEMACTIVATE activation{};
  activation.hdr.hwndFrom = ::GetDlgItem(page(), id);
  activation.hdr.idFrom = static_cast<UINT_PTR>(id);
  activation.hdr.code = LVN_ITEMACTIVATE;
  activation.iItem = row;
  ::SendMessageW(page(), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&activation));
  pump_for(50);
}

void win_wizard_driver::when_dialog(const std::string& title, std::function<void(HWND)> script) {
  pending.title = tk_win_wide(title);
  pending.script = std::move(script);
  pending.timer = ::SetTimer(nullptr, 0, 50, &look_for_dialog);
}
