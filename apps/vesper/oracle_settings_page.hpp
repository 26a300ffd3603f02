// Page 2: the Oracle server, database name and login; Next connects.
#pragma once

#include "wizard_page.hpp"

class QLineEdit;
class vesper_converter;
class wizard_boxes;
struct vesper_settings;

class oracle_settings_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr const char* no_database = "You should enter Oracle database name";
  static constexpr const char* connecting = "Connecting to Oracle server.\r\nPlease wait...";

  oracle_settings_page(vesper_settings& settings, vesper_converter& converter);

  int on_next() override;
  int on_back() override;
  void store_settings();

  // Connects the converter to its `dest` on a worker thread while the
  // connecting window shows. A failure is shown in `boxes`; false then.
  static bool connect_oracle(const vesper_settings& settings, vesper_converter& converter, const wizard_boxes& boxes,
                             QWidget* parent);

 protected:
  void page_init() override;

 private:
  QLineEdit* add_edit(class QFormLayout* form, const char* label, int id);

  vesper_settings& settings_;
  vesper_converter& converter_;
};
