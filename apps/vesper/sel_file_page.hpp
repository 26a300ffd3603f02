// Page 3: the DBF folder and how its tables are converted.
#pragma once

#include "folder_model.hpp"
#include "wizard_page.hpp"

class QCheckBox;

class sel_file_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr const char* no_path = folder_model::no_path;
  static constexpr const char* file_path = folder_model::file_path;
  static constexpr const char* missing_path = folder_model::missing_path;

  explicit sel_file_page(vesper_settings& settings);

  int on_next() override;
  int on_back() override;

 protected:
  void page_init() override;

 private:
  void on_browse_src();
  void store();
  QCheckBox* add_check(class QLayout* layout, const char* text, int id);
  void add_count(class QBoxLayout* layout, const char* text, int id, int lowest, int highest, const char* none);

  folder_model model_;
};
