#include "win_page.hpp"

#include "tk_logger.hpp"
#include "win_resource.h"
#include "win_shell.hpp"
#include "win_text.hpp"
#include "wizard_exit.hpp"

namespace {

DWORD wizard_buttons(win_page::buttons shown) {
  switch (shown) {
    case win_page::buttons::next: return PSWIZB_NEXT;
    case win_page::buttons::back_next: return PSWIZB_BACK | PSWIZB_NEXT;
    case win_page::buttons::finish: return PSWIZB_FINISH;
    case win_page::buttons::none: break;
  }
  return 0;
}

}  // namespace

win_page::win_page(int dialog, buttons shown, int help_context, const char* title, const char* subtitle)
    : dialog_(dialog),
      buttons_(shown),
      help_context_(help_context),
      title_(title ? win_wide(title) : std::wstring()),
      subtitle_(subtitle ? win_wide(subtitle) : std::wstring()) {}

HPROPSHEETPAGE win_page::create(win_shell& shell) {
  shell_ = &shell;
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.hInstance = ::GetModuleHandleW(nullptr);
  page.pszTemplate = MAKEINTRESOURCEW(dialog_);
  page.pfnDlgProc = &win_page::procedure;
  page.lParam = reinterpret_cast<LPARAM>(this);
  // A wizard's window takes its title from the page shown.
  page.dwFlags = PSP_USETITLE;
  page.pszTitle = shell.caption().c_str();
  if (title_.empty()) {
    page.dwFlags |= PSP_HIDEHEADER;
  } else {
    page.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
    page.pszHeaderTitle = title_.c_str();
    page.pszHeaderSubTitle = subtitle_.c_str();
  }
  if (help_context_ != no_help) page.dwFlags |= PSP_HASHELP;
  handle_ = ::CreatePropertySheetPageW(&page);
  return handle_;
}

const wizard_prompts& win_page::boxes() const { return shell_->boxes(); }

bool win_page::on_cancel() {
  tk_log(2, "wizard_page::on_cancel");
  return confirm_exit(boxes());
}

// The welcome and finish pages are white, as Wizard97's exterior pages are;
// the inner pages keep the dialog colour.
INT_PTR win_page::exterior_colour(UINT message, HDC context) const {
  if (!title_.empty()) return FALSE;
  if (message != WM_CTLCOLORDLG) {
    ::SetBkColor(context, ::GetSysColor(COLOR_WINDOW));
    ::SetTextColor(context, ::GetSysColor(COLOR_WINDOWTEXT));
  }
  return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_WINDOW));
}

// An exterior page's picture, drawn at the size its place has at this DPI.
void win_page::show_watermark() {
  HWND place = item(IDC_WATERMARK);
  RECT area{};
  if (!place || !::GetClientRect(place, &area) || area.right <= 0 || area.bottom <= 0) return;
  ::SendMessageW(place, STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(shell_->watermark(area.right, area.bottom)));
}

void win_page::activate() {
  tk_log(1, "wizard_page::OnSetActive");
  PropSheet_SetWizButtons(sheet(), wizard_buttons(buttons_));
  shell_->page_activated(*this, sheet());
  page_init();
}

INT_PTR win_page::on_sheet_notify(const NMHDR& header) {
  switch (header.code) {
    case PSN_SETACTIVE:
      activate();
      return answer(0);
    case PSN_WIZNEXT:
      return answer(on_next() ? 0 : -1);
    case PSN_WIZBACK:
      return answer(on_back() ? 0 : -1);
    case PSN_WIZFINISH:
      return answer(FALSE);
    case PSN_QUERYCANCEL:
      // A close the user confirmed elsewhere (after a stopped run) is not asked again.
      return answer(shell_->closing() || on_cancel() ? FALSE : TRUE);
    case PSN_HELP:
      shell_->display_help(help_context_);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR win_page::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      show_watermark();
      on_init();
      return TRUE;
    case WM_COMMAND:
      on_command(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_TIMER:
      on_timer(wparam);
      return TRUE;
    case WM_HELP:  // F1: the same page of the manual as the Help button
      if (help_context_ != no_help) shell_->display_help(help_context_);
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return exterior_colour(message, reinterpret_cast<HDC>(wparam));
    case WM_NOTIFY: {
      const NMHDR& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.hwndFrom == sheet()) return on_sheet_notify(header);
      LONG_PTR result = 0;
      return on_notify(header, result) ? answer(result) : FALSE;
    }
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK win_page::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  win_page* self = nullptr;
  if (message == WM_INITDIALOG) self = reinterpret_cast<win_page*>(reinterpret_cast<PROPSHEETPAGEW*>(lparam)->lParam);
  return dispatch(self, window, message, wparam, lparam);
}
