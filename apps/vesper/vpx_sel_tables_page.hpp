// Page 5: the tables (and the user's queries) to convert, moved between the
// available and the selected list; the lists show the tables model.
#pragma once

#include <string>

#include "tables_model.hpp"
#include "wizard_page.hpp"

class QListWidget;

class vpx_sel_tables_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr const char* none_selected = tables_model::none_selected;
  static constexpr const char* duplicate_name = tables_model::duplicate_name;

  // `nothing_chosen` is set when the user goes on with no table selected,
  // so that the run converts none rather than every table of the folder.
  vpx_sel_tables_page(vesper_settings& settings, vesper_converter& converter, bool& nothing_chosen);

  int on_next() override;
  int on_back() override;

  void on_add();
  void on_add_all();
  void on_delete();
  void on_del_all();
  // A new query, from the query dialog, into the selected list.
  void on_add_query();
  // A double click, Enter or F2 on the selected list: the query dialog for a
  // query, the type-mapping dialog for a table.
  void on_edit_query();
  // The pre-flight report of the selected tables, in a window.
  void on_check();

  bool eventFilter(QObject* watched, QEvent* event) override;

 protected:
  void page_init() override;

 private:
  // Both lists again from the model, with these rows current (-1: none).
  void show_lists(int available_row, int selected_row);
  void fill(QListWidget* list, const std::vector<std::u16string>& names, int row);
  bool ask_query(std::u16string& name, std::u16string& text, const std::u16string& old_name);
  void edit_table(const std::u16string& table);

  vesper_settings& settings_;  // the sync keys Edit Table marks
  vesper_converter& converter_;
  tables_model model_;
};
