// Page 3: the DBF folder, how existing tables are treated, the conversion
// choices and how rows are loaded.
#pragma once

#include "folder_model.hpp"
#include "win_page.hpp"

class win_folder_page : public win_page {
 public:
  static constexpr int help = 1020;
  explicit win_folder_page(vesper_settings& settings);

 private:
  void on_init() override;
  void page_init() override;
  bool on_next() override;
  bool on_back() override;
  void on_command(int id, int code) override;
  void store();
  void show_sizes_enabled();

  folder_model model_;
};
