#include "win_error_dialog.hpp"

#include "tk_logger.hpp"
#include "tk_send_bug.hpp"
#include "win_boxes.hpp"
#include "win_clipboard.hpp"
#include "win_resource.h"
#include "win_text.hpp"

win_error_dialog::win_error_dialog(const win_boxes& boxes, std::string text) : boxes_(boxes), text_(std::move(text)) {
  tk_log(2, "dlg_error_ex::ctor");
}

INT_PTR win_error_dialog::show(HWND owner) { return run_modal(IDD_INTERNAL_ERROR, owner); }

INT_PTR win_error_dialog::on_message(UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    tk_log(2, "dlg_error_ex::on_init");
    ::SetWindowTextW(window(), boxes_.caption("Error").c_str());
    set_text(IDC_ERROR_TEXT, text_);
    ::SendDlgItemMessageW(window(), IDC_ERROR_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_ERROR)), 0);
    centre_over(::GetParent(window()));
    ::SetForegroundWindow(window());
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wparam);
  if (id == IDC_COPY) {
    tk_log(2, "tk_copy_to_clipboard2(%s)", text_);
    win_clipboard::put(window(), win_crlf(win_wide(text_)));
  } else if (id == IDC_SEND_BUG) {
    tk_send_bug(boxes_.window() ? win_boxes::title_text : "", text_);
  } else if (id != IDOK && id != IDCANCEL) {
    return FALSE;
  }
  close(id == IDCANCEL ? IDOK : id);
  return TRUE;
}
