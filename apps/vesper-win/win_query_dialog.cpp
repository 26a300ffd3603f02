#include "win_query_dialog.hpp"

#include "tk_logger.hpp"
#include "win_resource.h"
#include "win_shell.hpp"

win_query_dialog::win_query_dialog(win_shell& shell, udb_database* database, const std::u16string& name,
                                   const std::u16string& text)
    : shell_(shell), model_(database, name, text) {
  tk_log(2, "set_query_dlg::set_query_dlg");
}

bool win_query_dialog::show(HWND owner) { return run_modal(IDD_QUERY, owner) == IDOK; }

void win_query_dialog::read_fields() {
  model_.name = text(IDC_QUERY_NAME, query_model::name_limit);
  model_.text = text(IDC_QUERY_TEXT, query_model::text_limit);
}

INT_PTR win_query_dialog::on_message(UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    tk_log(2, "set_query_dlg::on_init");
    set_text(IDC_QUERY_NAME, model_.name);
    set_text(IDC_QUERY_TEXT, model_.text);
    centre_over(::GetParent(window()));
    ::SetForegroundWindow(window());
    return TRUE;
  }
  if (message != WM_COMMAND || HIWORD(wparam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wparam)) {
    case IDOK:
      tk_log(2, "set_query_dlg::on_ok");
      read_fields();
      if (model_.accept(shell_.boxes())) close(IDOK);
      return TRUE;
    case IDCANCEL:
      tk_log(2, "set_query_dlg::on_cancel");
      close(IDCANCEL);
      return TRUE;
    case IDC_TEST_QUERY:
      read_fields();
      model_.test(shell_.boxes());
      return TRUE;
    case IDC_HELP_BUTTON:
      shell_.display_help(query_model::help_context);
      return TRUE;
    default:
      return FALSE;
  }
}
