// Page 1: the welcome, Load Settings and the link to the web site.
#pragma once

#include "welcome_model.hpp"
#include "win_page.hpp"

class win_welcome_page : public win_page {
 public:
  static constexpr int help = 1018;
  win_welcome_page(vesper_settings& settings, vesper_converter& converter);

  // Load Settings with the path already chosen (tests choose it).
  void load_profile(const std::string& path);

 private:
  void on_init() override;
  void on_command(int id, int code) override;
  bool on_notify(const NMHDR& header, LONG_PTR& result) override;

  welcome_model model_;
};
