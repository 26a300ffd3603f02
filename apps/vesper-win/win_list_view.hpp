// A report-style list view (SysListView32) as the wizard uses it: columns
// with headings, rows of texts, one selected row, optional check boxes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class win_list_view {
 public:
  explicit win_list_view(HWND list) : list_(list) {}

  // Full-row selection, and check boxes when `checks`; the columns, each as
  // wide as its heading at first.
  void set_up(const std::vector<std::string>& headings, bool checks) const;
  void clear() const;
  // Appends a row of texts; its index.
  int add_row(const std::vector<std::u16string>& texts) const;
  void set_cell(int row, int column, const std::u16string& text) const;
  std::u16string cell(int row, int column) const;
  int row_count() const;
  // The selected row, -1 for none.
  int selected() const;
  // Selects and focuses `row` (-1: none) and scrolls it into view.
  void select(int row) const;
  bool checked(int row) const;
  void set_checked(int row, bool on) const;
  // Each column as wide as its widest text or heading; the last fills the rest.
  void fit_columns() const;

 private:
  int column_count() const;

  HWND list_;
};
