// Page 5: the tables (and the user's queries) to convert, moved between the
// available and the selected list.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "wizard_page.hpp"

class QListWidget;
class udb_schema;
class vesper_converter;
struct vesper_settings;

class vpx_sel_tables_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr const char* none_selected = "There are no tables selected. Continue anyway?";
  static constexpr const char* duplicate_name = "Duplicate table name. Try again.";

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

  bool eventFilter(QObject* watched, QEvent* event) override;

 protected:
  void page_init() override;

 private:
  using query_map = std::map<std::u16string, std::u16string>;

  void do_page_init(const std::vector<std::u16string>& tables);
  // The entry of table or query `name`, at the end of `list`.
  void add_entry(QListWidget* list, const std::u16string& name);
  QString label_of(const std::u16string& name) const;
  void store_tables();
  void select_earlier_choice();
  // Moves row `row` of `from` to the end of `to`, with its query if it is one.
  void move_entry(QListWidget* from, int row, QListWidget* to);
  bool is_query(const std::u16string& name) const;
  bool is_listed(const QString& name) const;
  bool ask_query(std::u16string& name, std::u16string& text, const std::u16string& old_name);
  void edit_table(const std::u16string& table);
  udb_schema columns_as_converted(const std::u16string& table) const;
  void store_queries();

  vesper_settings& settings_;
  vesper_converter& converter_;
  bool& nothing_chosen_;
  query_map available_queries_;
  query_map selected_queries_;
};
