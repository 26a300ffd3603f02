#include "win_text_window.hpp"

#include <algorithm>

#include "win_clipboard.hpp"
#include "win_resource.h"
#include "win_text.hpp"

namespace {
// In dialog units, as the template has them.
constexpr int margin = 7, gap = 4, button_width = 50, button_height = 14;
// The window is wide enough for this many characters at least and high
// enough for this many lines, within the monitor; a long text is not
// measured whole, its first lines tell the width well enough.
constexpr int least_columns = 60, shown_lines = 32, measured_lines = 2000;
// Posted by WM_INITDIALOG: the caret is placed once the window is shown,
// for an edit not yet shown scrolls to it wrongly (under Wine, to no text).
constexpr UINT place_caret = WM_APP + 3;
}  // namespace

win_text_window::win_text_window(std::wstring title, const std::string& text, start at)
    : title_(std::move(title)), text_(win_crlf(win_wide(text))), start_(at) {}

win_text_window::~win_text_window() {
  if (font_) ::DeleteObject(font_);
}

void win_text_window::show(HWND owner) { run_modal(IDD_TEXT_WINDOW, owner); }

int win_text_window::dialog_units_x(int units) const {
  RECT area{0, 0, units, 0};
  ::MapDialogRect(window(), &area);
  return area.right;
}

int win_text_window::dialog_units_y(int units) const {
  RECT area{0, 0, 0, units};
  ::MapDialogRect(window(), &area);
  return area.bottom;
}

// The dialog's own font (which follows the DPI) in a fixed-width face.
void win_text_window::use_fixed_font() {
  LOGFONTW font{};
  auto base = reinterpret_cast<HFONT>(::SendMessageW(window(), WM_GETFONT, 0, 0));
  if (!base || !::GetObjectW(base, sizeof font, &font)) return;
  font.lfWeight = FW_NORMAL;
  font.lfItalic = FALSE;
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  ::lstrcpynW(font.lfFaceName, L"Consolas", LF_FACESIZE);
  font_ = ::CreateFontIndirectW(&font);
  if (font_) ::SendDlgItemMessageW(window(), IDC_TEXT_VIEW, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

// The client area that shows the longest of the first lines whole and
// `shown_lines` lines, with the buttons below.
SIZE win_text_window::fitting_client_size() const {
  HWND view = item(IDC_TEXT_VIEW);
  HDC context = ::GetDC(view);
  const HGDIOBJ before = ::SelectObject(context, font_ ? font_ : ::GetStockObject(ANSI_FIXED_FONT));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(context, &metrics);
  LONG widest = metrics.tmAveCharWidth * least_columns;
  std::size_t from = 0;
  for (int line = 0; line < measured_lines && from < text_.size(); ++line) {
    std::size_t end = text_.find(L'\n', from);
    if (end == std::wstring::npos) end = text_.size();
    const std::size_t length = end > from && text_[end - 1] == L'\r' ? end - from - 1 : end - from;
    SIZE extent{};
    if (length > 0 && ::GetTextExtentPoint32W(context, text_.data() + from, static_cast<int>(length), &extent))
      widest = std::max(widest, extent.cx);
    from = end + 1;
  }
  ::SelectObject(context, before);
  ::ReleaseDC(view, context);
  // The edit's frame, inner margins and scroll bars around the text.
  const LONG frame = 4 * ::GetSystemMetrics(SM_CXEDGE) + ::GetSystemMetrics(SM_CXVSCROLL) + metrics.tmAveCharWidth * 2;
  const LONG frame_height = 4 * ::GetSystemMetrics(SM_CYEDGE) + ::GetSystemMetrics(SM_CYHSCROLL);
  return SIZE{widest + frame + 2 * dialog_units_x(margin),
              metrics.tmHeight * shown_lines + frame_height + dialog_units_y(3 * margin + button_height)};
}

// As large as the text wants within nine tenths of the monitor's work
// area, and in the middle of the window it opens over.
void win_text_window::size_and_centre() {
  RECT window_rect{}, client{};
  ::GetWindowRect(window(), &window_rect);
  ::GetClientRect(window(), &client);
  const LONG frame_x = (window_rect.right - window_rect.left) - client.right;
  const LONG frame_y = (window_rect.bottom - window_rect.top) - client.bottom;
  smallest_ = SIZE{window_rect.right - window_rect.left, window_rect.bottom - window_rect.top};
  HWND owner = ::GetParent(window());
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : window(), MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const SIZE wanted = fitting_client_size();
  const LONG width = std::min(std::max(wanted.cx + frame_x, smallest_.cx), (work.right - work.left) * 9 / 10);
  const LONG height = std::min(std::max(wanted.cy + frame_y, smallest_.cy), (work.bottom - work.top) * 9 / 10);
  smallest_ = SIZE{std::min(smallest_.cx, width), std::min(smallest_.cy, height)};
  RECT over = work;
  if (owner) ::GetWindowRect(owner, &over);
  const LONG x = std::clamp((over.left + over.right - width) / 2, work.left, std::max(work.left, work.right - width));
  const LONG y = std::clamp((over.top + over.bottom - height) / 2, work.top, std::max(work.top, work.bottom - height));
  ::SetWindowPos(window(), nullptr, x, y, width, height, SWP_NOZORDER);
}

void win_text_window::lay_out(int width, int height) const {
  const int space = dialog_units_x(margin), between = dialog_units_x(gap);
  const int button_x = dialog_units_x(button_width), button_y = dialog_units_y(button_height);
  const int buttons_top = height - dialog_units_y(margin) - button_y;
  HDWP moves = ::BeginDeferWindowPos(3);
  auto place = [&moves](HWND control, int x, int y, int w, int h) {
    if (moves) moves = ::DeferWindowPos(moves, control, nullptr, x, y, std::max(w, 0), std::max(h, 0), SWP_NOZORDER);
  };
  place(item(IDC_TEXT_VIEW), space, dialog_units_y(margin), width - 2 * space,
        buttons_top - dialog_units_y(margin + gap));
  place(item(IDCANCEL), width - space - button_x, buttons_top, button_x, button_y);
  place(item(IDC_TEXT_COPY), width - space - 2 * button_x - between, buttons_top, button_x, button_y);
  if (moves) ::EndDeferWindowPos(moves);
}

void win_text_window::on_init() {
  ::SetWindowTextW(window(), title_.c_str());
  HWND view = item(IDC_TEXT_VIEW);
  use_fixed_font();
  // A log may be far longer than an edit takes by default.
  ::SendMessageW(view, EM_SETLIMITTEXT, 0, 0);
  ::SetWindowTextW(view, text_.c_str());
  size_and_centre();
  RECT client{};
  ::GetClientRect(window(), &client);
  lay_out(client.right, client.bottom);
  ::SetFocus(view);
  ::SendMessageW(view, EM_SETSEL, 0, 0);
  if (start_ == start::end) ::PostMessageW(window(), place_caret, 0, 0);
  ::SetForegroundWindow(window());
}

void win_text_window::caret_to_end() const {
  HWND view = item(IDC_TEXT_VIEW);
  const auto end = static_cast<LPARAM>(::GetWindowTextLengthW(view));
  ::SendMessageW(view, EM_SETSEL, static_cast<WPARAM>(end), end);
  ::SendMessageW(view, EM_SCROLLCARET, 0, 0);
}

INT_PTR win_text_window::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      on_init();
      return FALSE;  // the focus was set, with the caret where it starts
    case place_caret:
      caret_to_end();
      return TRUE;
    case WM_SIZE:
      lay_out(LOWORD(lparam), HIWORD(lparam));
      return TRUE;
    case WM_GETMINMAXINFO:
      if (smallest_.cx > 0) reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = POINT{smallest_.cx, smallest_.cy};
      return TRUE;
    case WM_CTLCOLORSTATIC:
      // Read-only, but a text to read: white as a document, not grey.
      if (reinterpret_cast<HWND>(lparam) != item(IDC_TEXT_VIEW)) return FALSE;
      ::SetBkColor(reinterpret_cast<HDC>(wparam), ::GetSysColor(COLOR_WINDOW));
      ::SetTextColor(reinterpret_cast<HDC>(wparam), ::GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_WINDOW));
    case WM_COMMAND:
      if (LOWORD(wparam) == IDC_TEXT_COPY && HIWORD(wparam) == BN_CLICKED) {
        win_clipboard::put_selection(item(IDC_TEXT_VIEW));
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        close(IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
