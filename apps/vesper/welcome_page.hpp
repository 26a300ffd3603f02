// Page 1: the welcome, with the button that loads a profile.
#pragma once

#include "wizard_page.hpp"

class vesper_converter;
struct vesper_settings;

class welcome_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr const char* profile_extension = "vpx";

  welcome_page(vesper_settings& settings, vesper_converter& converter);

 protected:
  void page_init() override;

 private:
  void on_load();

  vesper_settings& settings_;
  vesper_converter& converter_;
};
