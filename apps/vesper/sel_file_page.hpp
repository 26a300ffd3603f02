// Page 3: the DBF folder and how its tables are converted.
#pragma once

#include "wizard_page.hpp"

class QCheckBox;
struct vesper_settings;

class sel_file_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr const char* no_path = "You should enter path to DBF file(s)";
  static constexpr const char* file_path = "You should enter path to DBF file(s), not a file name";
  static constexpr const char* missing_path = "Path to DBF database does not exist.\nPlease verify the correct path was given.";

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

  vesper_settings& settings_;
};
