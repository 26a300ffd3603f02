// Page 2: the Oracle server, database name and login; Next connects.
#pragma once

#include "oracle_login_model.hpp"
#include "wizard_page.hpp"

class QLineEdit;
class wizard_boxes;

class oracle_settings_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr const char* no_database = oracle_login_model::no_database;

  oracle_settings_page(vesper_settings& settings, vesper_converter& converter);

  int on_next() override;
  int on_back() override;
  void store_settings();
  // Test Connection: connects with the fields, says how it went, disconnects.
  void on_test_connection();

  // What runs a connection: on a worker thread while the connecting window
  // shows over `parent`.
  static oracle_login_model::busy_runner connecting_window(const wizard_boxes& boxes, QWidget* parent) {
    return busy_window(boxes, oracle_login_model::connecting, parent);
  }
  // The same window with another `text`, for other slow steps.
  static wizard_busy_runner busy_window(const wizard_boxes& boxes, const char* text, QWidget* parent);

 protected:
  void page_init() override;

 private:
  void read_fields();
  QLineEdit* add_edit(class QFormLayout* form, const char* label, int id);

  oracle_login_model model_;
};
