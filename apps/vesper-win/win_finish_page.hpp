// Page 7: how the run ended, its errors and warnings in a list that can be
// selected and copied, and Save Settings.
#pragma once

#include "finish_model.hpp"
#include "win_page.hpp"

class win_finish_page : public win_page {
 public:
  win_finish_page(vesper_settings& settings, vesper_converter& converter, const wizard_error_list& errors,
                  const bool& nothing_chosen);

  // Save Settings with the path already chosen (tests choose it).
  bool store_profile(const std::string& path);

 private:
  void on_init() override;
  void page_init() override;
  void on_command(int id, int code) override;
  void on_copy();

  finish_model model_;
};
