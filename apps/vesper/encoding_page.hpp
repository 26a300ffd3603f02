// Page 4: the code page that decodes the text of every table ("Default"
// keeps the one each file names).
#pragma once

#include <map>

#include "wizard_page.hpp"

class QComboBox;
struct vesper_settings;

class encoding_page : public wizard_page {
  Q_OBJECT

 public:
  explicit encoding_page(vesper_settings& settings);

  int on_next() override;
  int on_back() override;

 protected:
  void page_init() override;

 private:
  void store();
  void fill_list(QComboBox& list);
  // The list's row of driver byte or code page `code`; 0 (Default) when none.
  int row_of(const QComboBox& list, int code) const;

  vesper_settings& settings_;
  // Driver bytes not listed, to the listed byte that reads alike.
  std::map<int, int> same_as_;
};
