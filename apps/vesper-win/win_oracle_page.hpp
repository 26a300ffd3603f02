// Page 2: the Oracle server, port, database name, user and password; Next
// connects while the connecting window is shown.
#pragma once

#include "oracle_login_model.hpp"
#include "win_page.hpp"

class win_oracle_page : public win_page {
 public:
  static constexpr int help = 1001;
  win_oracle_page(vesper_settings& settings, vesper_converter& converter);

 private:
  void on_init() override;
  void page_init() override;
  bool on_next() override;
  bool on_back() override;
  void store();

  oracle_login_model model_;
};
