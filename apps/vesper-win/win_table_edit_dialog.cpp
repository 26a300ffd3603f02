#include "win_table_edit_dialog.hpp"

#include <commctrl.h>

#include "tk_logger.hpp"
#include "win_list_view.hpp"
#include "win_resource.h"
#include "win_shell.hpp"
#include "win_text.hpp"

win_table_edit_dialog::win_table_edit_dialog(win_shell& shell, table_edit_access& model) : shell_(shell), model_(model) {
  tk_log(2, "types_map_dlg::types_map_dlg");
}

bool win_table_edit_dialog::show(HWND owner) { return run_modal(IDD_TABLE_EDIT, owner) == IDOK; }

void win_table_edit_dialog::on_init() {
  tk_log(2, "types_map_dlg::on_init");
  const win_list_view list(item(IDC_FIELDS));
  if (model_.keys_shown()) {
    list.set_up({"Field Name", "Field Type", "Default value", "Null", "Key"}, true);
  } else {
    list.set_up({"Field Name", "Field Type", "Default value", "Null"}, true);
  }
  show_control(IDC_FIELD_KEY, model_.keys_shown());
  set_text(IDC_TABLE_NAME, model_.table_name());
  filling_ = true;
  for (std::size_t i = 0; i < model_.row_count(); ++i) {
    const table_edit_access::row_texts shown = model_.row(i);
    const int row = list.add_row({shown.name, shown.type, shown.default_value, shown.nullability});
    list.set_checked(row, model_.kept(i));
    show_key(row);
  }
  filling_ = false;
  list.fit_columns();
  if (model_.row_count() > 0) {
    show_row(0);
    list.select(0);
  }
  centre_over(::GetParent(window()));
}

void win_table_edit_dialog::show_row(int row) {
  model_.show_row(static_cast<std::size_t>(row));
  const table_edit_access::panel shown = model_.shown();
  set_text(IDC_FIELD_NAME, shown.field_name);
  set_text(IDC_FIELD_DEFAULT, shown.default_value);
  show_sizes(shown);
  HWND types = item(IDC_FIELD_TYPE);
  ::SendMessageW(types, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& type : shown.types)
    ::SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win_wide(type).c_str()));
  ::SendMessageW(types, CB_SETCURSEL, 0, 0);
  show_size_fields();
  ::CheckDlgButton(window(), IDC_FIELD_KEY, model_.key(static_cast<std::size_t>(row)) ? BST_CHECKED : BST_UNCHECKED);
}

// The list's Key column says which fields the sync matches records by.
void win_table_edit_dialog::show_key(int row) {
  if (!model_.keys_shown()) return;
  win_list_view(item(IDC_FIELDS)).set_cell(row, key_column, model_.key(static_cast<std::size_t>(row)) ? u"key" : u"");
}

void win_table_edit_dialog::on_key_clicked() {
  const int row = shown_row();
  if (row < 0) return;
  model_.mark_key(static_cast<std::size_t>(row), ::IsDlgButtonChecked(window(), IDC_FIELD_KEY) == BST_CHECKED);
  show_key(row);
  win_list_view(item(IDC_FIELDS)).fit_columns();
}

void win_table_edit_dialog::read_panel() {
  table_edit_access::panel typed;
  typed.field_name = text(IDC_FIELD_NAME);
  typed.type = text(IDC_FIELD_TYPE);
  typed.default_value = text(IDC_FIELD_DEFAULT);
  typed.length = text(IDC_LENGTH);
  typed.precision = text(IDC_PRECISION);
  typed.scale = text(IDC_SCALE);
  model_.type_in(typed);
}

void win_table_edit_dialog::show_sizes(const table_edit_access::panel& shown) {
  set_text(IDC_LENGTH, shown.length);
  set_text(IDC_PRECISION, shown.precision);
  set_text(IDC_SCALE, shown.scale);
}

void win_table_edit_dialog::show_size_fields() {
  const bool length = model_.has_length(), numeric = model_.has_precision_scale();
  for (int id : {IDC_LENGTH_LABEL, IDC_LENGTH}) show_control(id, length);
  for (int id : {IDC_PRECISION_LABEL, IDC_PRECISION, IDC_SCALE_LABEL, IDC_SCALE}) show_control(id, numeric);
}

void win_table_edit_dialog::on_type_chosen() {
  read_panel();
  model_.choose_type(text(IDC_FIELD_TYPE));
  show_sizes(model_.shown());
  show_size_fields();
}

// The list shows what was stored.
bool win_table_edit_dialog::store_row(int row) {
  read_panel();
  if (!model_.store_shown_row(shell_.boxes())) return false;
  const table_edit_access::row_texts stored = model_.row(static_cast<std::size_t>(row));
  const win_list_view list(item(IDC_FIELDS));
  list.set_cell(row, 0, stored.name);
  list.set_cell(row, 1, stored.type);
  list.set_cell(row, 2, stored.default_value);
  list.fit_columns();
  return true;
}

// Before the selection leaves the shown row its fields are stored; when
// that is refused the selection does not move. A list may first deselect
// the shown row, then select the new one (a click), or the other way round
// (LVM_SETITEMSTATE): either step asks, and a refusal covers the rest of
// that change, so that the user is told once.
bool win_table_edit_dialog::on_list_notify(const NMHDR& header, LONG_PTR& result) {
  if (filling_ || (header.code != LVN_ITEMCHANGING && header.code != LVN_ITEMCHANGED)) return false;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  if (!(change.uChanged & LVIF_STATE) || change.iItem < 0) return false;
  const bool was = change.uOldState & LVIS_SELECTED, is = change.uNewState & LVIS_SELECTED;
  const int shown = shown_row();
  const bool leaving = (was && !is && change.iItem == shown) || (is && !was && change.iItem != shown);
  if (header.code == LVN_ITEMCHANGING && leaving && shown >= 0) {
    if (!refusing_ && !store_row(shown)) {
      refusing_ = true;
      ::PostMessageW(window(), change_over, 0, 0);
    }
    result = refusing_ ? TRUE : FALSE;
    return true;
  }
  if (header.code == LVN_ITEMCHANGED && is && !was && change.iItem != shown) show_row(change.iItem);
  return false;
}

void win_table_edit_dialog::on_ok() {
  tk_log(2, "types_map_dlg::on_ok");
  if (shown_row() >= 0 && !store_row(shown_row())) return;
  const win_list_view list(item(IDC_FIELDS));
  std::vector<bool> kept;
  for (int row = 0; row < list.row_count(); ++row) kept.push_back(list.checked(row));
  if (model_.accept(text(IDC_TABLE_NAME), kept, shell_.boxes())) close(IDOK);
}

INT_PTR win_table_edit_dialog::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      on_init();
      return TRUE;
    case change_over:
      refusing_ = false;
      return TRUE;
    case WM_NOTIFY: {
      const NMHDR& header = *reinterpret_cast<const NMHDR*>(lparam);
      LONG_PTR result = 0;
      if (header.idFrom == IDC_FIELDS && on_list_notify(header, result)) return answer(result);
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_FIELD_TYPE:
          if (HIWORD(wparam) == CBN_SELCHANGE) on_type_chosen();
          return TRUE;
        case IDC_FIELD_KEY:
          if (HIWORD(wparam) == BN_CLICKED) on_key_clicked();
          return TRUE;
        case IDOK:
          on_ok();
          return TRUE;
        case IDCANCEL:
          tk_log(2, "types_map_dlg::on_cancel");
          close(IDCANCEL);
          return TRUE;
        case IDC_HELP_BUTTON:
          shell_.display_help(help_context);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}
