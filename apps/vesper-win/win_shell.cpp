#include "win_shell.hpp"

#include <shellapi.h>

#include <filesystem>

#include "tk_logger.hpp"
#include "win_images.hpp"
#include "win_page.hpp"
#include "win_text.hpp"

namespace {

std::wstring program_folder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return std::filesystem::path(path).parent_path().wstring();
}

std::wstring help_page_name(int context) {
  return context == win_shell::default_help_topic ? L"index.html" : std::to_wstring(context) + L".html";
}

}  // namespace

win_shell::win_shell(const wizard_prompts* prompts, std::wstring help_folder)
    : open_document([](const std::wstring& path) {
        const auto result = reinterpret_cast<INT_PTR>(
            ::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
      }),
      prompts_(prompts),
      help_folder_(help_folder.empty() ? program_folder() + L"\\help" : std::move(help_folder)),
      caption_(win_wide(win_boxes::title_text)) {}

win_shell::~win_shell() {
  destroy();
  pages_.clear();
  if (watermark_) ::DeleteObject(watermark_);
  if (header_image_) ::DeleteObject(header_image_);
  if (icon_) ::DestroyIcon(icon_);
}

HBITMAP win_shell::watermark(int width, int height) {
  BITMAP made{};
  if (watermark_ && ::GetObjectW(watermark_, sizeof made, &made) && made.bmWidth == width && made.bmHeight == height)
    return watermark_;
  if (watermark_) ::DeleteObject(watermark_);
  watermark_ = win_images::watermark(width, height);
  return watermark_;
}

void win_shell::add_page(std::unique_ptr<win_page> page) { pages_.push_back(std::move(page)); }

PROPSHEETHEADERW win_shell::header(bool modeless, std::vector<HPROPSHEETPAGE>& pages) {
  if (!header_image_) header_image_ = win_images::header();
  for (auto& page : pages_) pages.push_back(page->create(*this));
  PROPSHEETHEADERW sheet{};
  sheet.dwSize = sizeof sheet;
  sheet.dwFlags = PSH_WIZARD97 | PSH_HEADER | PSH_USEHBMHEADER | PSH_HASHELP | (modeless ? PSH_MODELESS : 0);
  sheet.hInstance = ::GetModuleHandleW(nullptr);
  sheet.pszCaption = caption_.c_str();
  sheet.hbmHeader = header_image_;
  sheet.nPages = static_cast<UINT>(pages.size());
  sheet.phpage = pages.data();
  return sheet;
}

void win_shell::run_modal() {
  std::vector<HPROPSHEETPAGE> pages;
  PROPSHEETHEADERW sheet = header(false, pages);
  ::PropertySheetW(&sheet);
  own_boxes_.set_window(nullptr);
  window_ = nullptr;
}

HWND win_shell::open_modeless() {
  std::vector<HPROPSHEETPAGE> pages;
  PROPSHEETHEADERW sheet = header(true, pages);
  const INT_PTR made = ::PropertySheetW(&sheet);
  window_ = reinterpret_cast<HWND>(made);
  own_boxes_.set_window(window_);
  return window_;
}

// A modeless sheet has no current page once Finish or a confirmed Cancel ended it.
bool win_shell::closed() const { return !window_ || !PropSheet_GetCurrentPageHwnd(window_); }

void win_shell::destroy() {
  if (!window_) return;
  own_boxes_.set_window(nullptr);
  HWND window = window_;
  window_ = nullptr;
  if (::IsWindow(window)) ::DestroyWindow(window);
}

void win_shell::page_activated(win_page& page, HWND sheet) {
  current_ = &page;
  if (window_ == sheet && own_boxes_.window()) return;
  window_ = sheet;
  ::SetWindowTextW(sheet, caption_.c_str());
  if (!icon_) icon_ = win_images::icon(::GetSystemMetrics(SM_CXSMICON));
  ::SendMessageW(sheet, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  ::SendMessageW(sheet, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  centre();
  own_boxes_.set_window(sheet);
}

// In the middle of the work area of the monitor the sheet is on.
void win_shell::centre() {
  RECT frame{};
  ::GetWindowRect(window_, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
  const RECT& area = monitor.rcWork;
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int x = area.left + std::max(0L, (area.right - area.left - width) / 2);
  const int y = area.top + std::max(0L, (area.bottom - area.top - height) / 2);
  ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The sheet is drawn again whole: going from an inner page to the finish
// page by itself, it would leave the header's band over the watermark.
void win_shell::go_to(const win_page& page) {
  PropSheet_SetCurSel(window_, page.handle(), 0);
  ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void win_shell::enable_button(int id, bool enabled) {
  tk_log(1, "wizard_shell::enable_button(%d)", id);
  ::EnableWindow(::GetDlgItem(window_, id), enabled ? TRUE : FALSE);
}

void win_shell::close_now() {
  closing_ = true;
  PropSheet_PressButton(window_, PSBTN_CANCEL);
}

void win_shell::display_help(int context) {
  tk_log(2, "wizard_shell::display_help(%d)", context);
  const std::filesystem::path page = std::filesystem::path(help_folder_) / help_page_name(context);
  std::error_code ignored;
  if (!std::filesystem::exists(page, ignored)) {
    boxes().error(missing_help);
    return;
  }
  if (!open_document(page.wstring())) boxes().error("The help page " + tk_win_utf8(page.wstring()) + " could not be opened.");
}
