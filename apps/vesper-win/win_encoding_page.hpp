// Page 4: the code page the text of the tables is read in.
#pragma once

#include "encoding_model.hpp"
#include "win_page.hpp"

class win_encoding_page : public win_page {
 public:
  static constexpr int help = 1023;
  explicit win_encoding_page(vesper_settings& settings);

 private:
  void on_init() override;
  void page_init() override;
  bool on_next() override;
  bool on_back() override;
  void store();

  encoding_model model_;
};
