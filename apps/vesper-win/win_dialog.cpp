#include "win_dialog.hpp"

#include "win_text.hpp"

std::u16string win_dialog::text(int id, std::size_t limit) const {
  std::wstring buffer(limit + 1, L'\0');
  const UINT length = ::GetDlgItemTextW(window_, id, buffer.data(), static_cast<int>(buffer.size()));
  buffer.resize(length);
  return win_u16(buffer);
}

void win_dialog::set_text(int id, std::u16string_view text) const {
  ::SetDlgItemTextW(window_, id, win_crlf(win_wide(text)).c_str());
}

void win_dialog::set_text(int id, const std::string& utf8) const {
  ::SetDlgItemTextW(window_, id, win_crlf(win_wide(utf8)).c_str());
}

bool win_dialog::checked(int id) const { return ::IsDlgButtonChecked(window_, id) == BST_CHECKED; }

void win_dialog::set_checked(int id, bool on) const { ::CheckDlgButton(window_, id, on ? BST_CHECKED : BST_UNCHECKED); }

void win_dialog::show_control(int id, bool shown) const { ::ShowWindow(item(id), shown ? SW_SHOW : SW_HIDE); }

void win_dialog::enable(int id, bool enabled) const { ::EnableWindow(item(id), enabled ? TRUE : FALSE); }

// Derived from the dialog's own font, so that it follows the DPI and the
// system's dialog font rather than a fixed size.
void win_dialog::make_heading(int id, int percent) {
  if (!heading_font_) {
    LOGFONTW font{};
    auto base = reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
    if (!base || !::GetObjectW(base, sizeof font, &font)) return;
    font.lfWeight = FW_BOLD;
    font.lfHeight = ::MulDiv(font.lfHeight, percent, 100);
    heading_font_ = ::CreateFontIndirectW(&font);
  }
  ::SendMessageW(item(id), WM_SETFONT, reinterpret_cast<WPARAM>(heading_font_), TRUE);
}

void win_dialog::release_font() {
  if (heading_font_) ::DeleteObject(heading_font_);
  heading_font_ = nullptr;
}

INT_PTR win_dialog::answer(LONG_PTR result) const {
  ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR win_dialog::dispatch(win_dialog* self, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    self->window_ = window;
    ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<win_dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  }
  if (!self) return FALSE;
  const INT_PTR handled = self->on_message(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    self->release_font();
    self->window_ = nullptr;
  }
  return handled;
}

INT_PTR win_dialog::run_modal(int id, HWND parent) {
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), parent, &win_dialog::modal_procedure,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK win_dialog::modal_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  win_dialog* self = message == WM_INITDIALOG ? reinterpret_cast<win_dialog*>(lparam) : nullptr;
  return dispatch(self, window, message, wparam, lparam);
}

void win_dialog::centre_over(HWND owner) const {
  RECT area{}, own{};
  if (!owner || !::GetWindowRect(owner, &area)) ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  ::GetWindowRect(window_, &own);
  const int width = own.right - own.left, height = own.bottom - own.top;
  ::SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
