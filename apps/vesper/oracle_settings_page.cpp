#include "oracle_settings_page.hpp"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include "animation_dialog.hpp"
#include "gui_text.hpp"
#include "tk_logger.hpp"
#include "wizard_boxes.hpp"

namespace {
enum control { server = 1003, port = 1004, username = 1012, password = 1013, database = 1014, test = 1021 };
}  // namespace

oracle_settings_page::oracle_settings_page(vesper_settings& settings, vesper_converter& converter)
    : wizard_page(buttons::back_next, 1001, "Step 1 of 5", "Connect to Oracle server"), model_(settings, converter) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("If the program has been installed on Oracle server machine, you can leave\n"
                               "'Server' editbox empty. It is necessary to specify the port only if it differs\n"
                               "from default value 1521."));
  auto* form = new QFormLayout;
  layout->addLayout(form);
  add_edit(form, "&Server (IP or network name):", server);
  add_edit(form, "&Database name:", database);
  add_edit(form, "Po&rt:", port);
  add_edit(form, "&Username:", username);
  add_edit(form, "&Password:", password)->setEchoMode(QLineEdit::Password);
  auto* row = new QHBoxLayout;
  auto* try_it = numbered(new QPushButton("&Test Connection"), test);
  // Enter in a field still presses Next.
  try_it->setAutoDefault(false);
  connect(try_it, &QPushButton::clicked, this, &oracle_settings_page::on_test_connection);
  row->addStretch();
  row->addWidget(try_it);
  layout->addLayout(row);
  layout->addStretch();
}

QLineEdit* oracle_settings_page::add_edit(QFormLayout* form, const char* label, int id) {
  auto* edit = numbered(new QLineEdit, id);
  edit->setMaxLength(int(oracle_login_model::edit_limit));
  form->addRow(label, edit);
  return edit;
}

void oracle_settings_page::page_init() {
  tk_log(2, "oracle_settings_page::page_init");
  model_.load();
  control<QLineEdit>(server)->setText(to_qstring(model_.host));
  control<QLineEdit>(port)->setText(to_qstring(model_.port));
  control<QLineEdit>(username)->setText(to_qstring(model_.user));
  control<QLineEdit>(password)->setText(to_qstring(model_.password));
  control<QLineEdit>(database)->setText(to_qstring(model_.service));
}

void oracle_settings_page::read_fields() {
  auto text = [&](int id) { return to_u16(control<QLineEdit>(id)->text()); };
  model_.host = text(server);
  model_.user = text(username);
  model_.password = text(password);
  model_.port = text(port);
  model_.service = text(database);
}

void oracle_settings_page::store_settings() {
  read_fields();
  model_.store();
}

void oracle_settings_page::on_test_connection() {
  read_fields();
  model_.test_connection(boxes(), connecting_window(boxes(), this));
}

int oracle_settings_page::on_next() {
  store_settings();
  return model_.next(boxes(), connecting_window(boxes(), this)) ? 0 : -1;
}

int oracle_settings_page::on_back() {
  store_settings();
  model_.back();
  return 0;
}

wizard_busy_runner oracle_settings_page::busy_window(const wizard_boxes& boxes, const char* text, QWidget* parent) {
  return [&boxes, text, parent](const std::function<void()>& work) {
    animation_dialog dialog(boxes, text, parent);
    dialog.run(work);
  };
}
