// Page 5: the folder's tables (with their record counts) and the user's
// queries moved between the available and the selected list; Add Query; a
// double click (Enter or F2) on a selected entry, which edits a query or
// opens Edit Table; and Check, which shows the selected tables' pre-flight report.
#pragma once

#include "tables_model.hpp"
#include "win_page.hpp"

class vesper_converter;

class win_tables_page : public win_page {
 public:
  static constexpr int help = 1015;
  win_tables_page(vesper_settings& settings, vesper_converter& converter, bool& nothing_chosen);

  // Edits the selected entry at `row`, as a double click on it does.
  void edit_selected(int row);

 private:
  void on_init() override;
  void page_init() override;
  bool on_next() override;
  bool on_back() override;
  void on_command(int id, int code) override;
  bool on_notify(const NMHDR& header, LONG_PTR& result) override;

  void show_lists(int available_row, int selected_row) const;
  void fill(int list, const std::vector<std::u16string>& names, int row) const;
  int current(int list) const;
  void on_add();
  void on_remove();
  void on_add_query();
  void on_check();
  bool ask_query(std::u16string& name, std::u16string& text, const std::u16string& old_name);
  void edit_table(const std::u16string& table);

  vesper_settings& settings_;
  vesper_converter& converter_;
  tables_model model_;
};
