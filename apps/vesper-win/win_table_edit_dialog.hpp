// The Edit Table dialog (135) for one source table: its target name, and
// per column whether it is kept (the row's check box), its name, type,
// default and sizes. Leaving a row stores its fields; when the model
// refuses them the selection stays on that row.
#pragma once

#include <string>

#include "table_edit_access.hpp"
#include "win_dialog.hpp"

class win_shell;

class win_table_edit_dialog : public win_dialog {
 public:
  static constexpr int help_context = 1024;

  // `model`: the table's Edit Table model (borrowed).
  win_table_edit_dialog(win_shell& shell, table_edit_access& model);
  // True when OK recorded the changes.
  bool show(HWND owner);

 private:
  INT_PTR on_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void on_init();
  bool on_list_notify(const NMHDR& header, LONG_PTR& result);
  void show_row(int row);
  void show_key(int row);
  void on_key_clicked();
  void read_panel();
  void show_sizes(const table_edit_access::panel& shown);
  void show_size_fields();
  bool store_row(int row);
  void on_type_chosen();
  void on_ok();
  int shown_row() const { return model_.shown().shown_row; }

  win_shell& shell_;
  table_edit_access& model_;
  bool filling_ = false;
  // A change of row was refused; cleared once the list's change is over.
  bool refusing_ = false;
  static constexpr UINT change_over = WM_APP + 3;
  static constexpr int key_column = 4;
};
