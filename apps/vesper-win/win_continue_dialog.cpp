#include "win_continue_dialog.hpp"

#include "tk_logger.hpp"
#include "win_boxes.hpp"
#include "win_resource.h"

win_continue_dialog::win_continue_dialog(const win_boxes& boxes, std::string text)
    : boxes_(boxes), text_(std::move(text)) {
  tk_log(2, "dlg_error_continue::ctor");
}

bool win_continue_dialog::abort_run(HWND owner) { return run_modal(IDD_CONTINUE_ERROR, owner) == IDOK; }

INT_PTR win_continue_dialog::on_message(UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    tk_log(2, "dlg_error_continue::on_init");
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
  if (id != IDOK && id != IDCANCEL) return FALSE;
  do_not_show_again_ = checked(IDC_DO_NOT_SHOW);
  close(id);
  return TRUE;
}
