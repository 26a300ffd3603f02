// Page 1: the welcome, with the button that loads a profile.
#pragma once

#include "welcome_model.hpp"
#include "wizard_page.hpp"

class welcome_page : public wizard_page {
  Q_OBJECT

 public:
  welcome_page(vesper_settings& settings, vesper_converter& converter);

 protected:
  void page_init() override;

 private:
  void on_load();

  welcome_model model_;
};
