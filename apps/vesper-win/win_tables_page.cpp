#include "win_tables_page.hpp"

#include <algorithm>

#include "check_model.hpp"
#include "table_edit_access.hpp"
#include "tk_logger.hpp"
#include "win_connecting_dialog.hpp"
#include "win_list_view.hpp"
#include "win_query_dialog.hpp"
#include "win_resource.h"
#include "win_shell.hpp"
#include "win_table_edit_dialog.hpp"
#include "win_text_window.hpp"

namespace {
// The row to keep current after `row` left a list that now has `count` rows.
int row_after(int row, std::size_t count) { return count == 0 ? -1 : std::min(row, int(count) - 1); }
}  // namespace

win_tables_page::win_tables_page(vesper_settings& settings, vesper_converter& converter, bool& nothing_chosen)
    : win_page(IDD_TABLES, buttons::back_next, help, "Step 4 of 5", "Select tables to convert"),
      settings_(settings),
      converter_(converter),
      model_(settings, converter, nothing_chosen) {}

void win_tables_page::on_init() {
  for (int list : {IDC_AVAILABLE, IDC_SELECTED}) {
    const win_list_view view(item(list));
    view.set_up({"Table", "Records"}, false);
    view.align_right(1);
  }
}

void win_tables_page::page_init() {
  tk_log(2, "vpx_sel_tables_page::page_init");
  model_.load(boxes());
  show_lists(0, -1);
  show_control(IDC_ADD_QUERY, true);
}

int win_tables_page::current(int list) const { return win_list_view(item(list)).selected(); }

// A query is marked and a renamed table shows its Oracle name: the model's
// labels; beside each table, its record count or why it cannot be read.
void win_tables_page::fill(int list, const std::vector<std::u16string>& names, int row) const {
  const win_list_view view(item(list));
  ::SendMessageW(item(list), WM_SETREDRAW, FALSE, 0);
  view.clear();
  for (const std::u16string& name : names) view.add_row({model_.label_of(name), model_.records_text(name)});
  view.fit_columns();
  view.select(row);
  ::SendMessageW(item(list), WM_SETREDRAW, TRUE, 0);
}

void win_tables_page::show_lists(int available_row, int selected_row) const {
  fill(IDC_AVAILABLE, model_.available(), available_row);
  fill(IDC_SELECTED, model_.selected(), selected_row);
}

void win_tables_page::on_add() {
  const int row = current(IDC_AVAILABLE);
  if (row < 0) return;
  model_.add(std::size_t(row));
  show_lists(row_after(row, model_.available().size()), current(IDC_SELECTED));
}

void win_tables_page::on_remove() {
  const int row = current(IDC_SELECTED);
  if (row < 0) return;
  model_.remove(std::size_t(row));
  const int next = row_after(row, model_.selected().size());
  show_lists(next < 0 ? 0 : current(IDC_AVAILABLE), next);
}

void win_tables_page::on_command(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDC_ADD:
      on_add();
      break;
    case IDC_ADD_ALL:
      model_.add_all();
      show_lists(-1, current(IDC_SELECTED));
      break;
    case IDC_REMOVE:
      on_remove();
      break;
    case IDC_REMOVE_ALL:
      model_.remove_all();
      show_lists(0, -1);
      break;
    case IDC_ADD_QUERY:
      on_add_query();
      break;
    case IDC_CHECK:
      on_check();
      break;
    default:
      break;
  }
}

// A double click or Enter on an entry (LVN_ITEMACTIVATE), or F2 on a
// selected one: a selected entry is edited, an available one added.
bool win_tables_page::on_notify(const NMHDR& header, LONG_PTR& result) {
  const bool activated = header.code == LVN_ITEMACTIVATE;
  const bool f2 = header.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_F2;
  result = 0;
  if (header.idFrom == IDC_SELECTED && (activated || f2)) {
    edit_selected(current(IDC_SELECTED));
    return true;
  }
  if (header.idFrom == IDC_AVAILABLE && activated) {
    on_add();
    return true;
  }
  return false;
}

bool win_tables_page::ask_query(std::u16string& name, std::u16string& text, const std::u16string& old_name) {
  for (;;) {
    win_query_dialog dialog(shell(), table_edit_access::query_database(converter_), name, text);
    if (!dialog.show(sheet())) return false;
    name = dialog.name();
    text = dialog.query();
    if (boxes().show(model_.check_query_name(name, old_name))) return true;
  }
}

void win_tables_page::on_add_query() {
  std::u16string name, text;
  if (!ask_query(name, text, {})) return;
  model_.add_query(name, text);
  show_lists(current(IDC_AVAILABLE), int(model_.selected().size()) - 1);
}

// The pre-flight report of the selected tables, made while the busy window
// shows; nothing when there was none to make (the user was told).
void win_tables_page::on_check() {
  const win_boxes& own = shell().own_boxes();
  const std::string report = model_.check(boxes(), win_connecting_dialog::runner(own, sheet(), check_model::checking));
  if (report.empty()) return;
  win_text_window(own.caption(check_model::title), report).show(sheet());
}

void win_tables_page::edit_selected(int row) {
  if (row < 0 || std::size_t(row) >= model_.selected().size()) {
    tk_log(1, "Nothing is selected!");
    return;
  }
  const std::u16string old_name = model_.selected()[std::size_t(row)];
  const std::u16string* query = model_.query_text(old_name);
  if (!query) {
    tk_log(1, "It's not a query, show type mapping");
    edit_table(old_name);
  } else {
    std::u16string name = old_name, text = *query;
    if (!ask_query(name, text, old_name)) return;
    model_.change_query(old_name, name, text);
  }
  show_lists(current(IDC_AVAILABLE), row);
}

void win_tables_page::edit_table(const std::u16string& table) {
  tk_log(1, "Ready for types mapping");
  const std::unique_ptr<table_edit_access> edited = table_edit_access::open(model_, converter_, settings_, table, boxes());
  if (!edited) return;
  win_table_edit_dialog(shell(), *edited).show(sheet());
}

bool win_tables_page::on_next() { return model_.next(boxes()); }

bool win_tables_page::on_back() {
  model_.back();
  return true;
}
