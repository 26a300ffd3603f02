#include "oracle_settings_page.hpp"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <optional>

#include "animation_dialog.hpp"
#include "tk_reporter.hpp"
#include "gui_text.hpp"
#include "tk_logger.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"
#include "wizard_boxes.hpp"

namespace {
constexpr int edit_limit = 260;
enum control { server = 1003, port = 1004, username = 1012, password = 1013, database = 1014 };

// The text the user is shown for a failed connection: the friendly text of
// a known Oracle error, else Oracle's own.
std::string failure_text(const tk_reporter& reporter, const tk_exception& e) {
  const std::string friendly = reporter.advice(e.code);
  return friendly.empty() ? std::string(e.what()) : friendly;
}
}  // namespace

oracle_settings_page::oracle_settings_page(vesper_settings& settings, vesper_converter& converter)
    : wizard_page(buttons::back_next, 1001, "Step 1 of 5", "Connect to Oracle server"), settings_(settings), converter_(converter) {
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
}

QLineEdit* oracle_settings_page::add_edit(QFormLayout* form, const char* label, int id) {
  auto* edit = numbered(new QLineEdit, id);
  edit->setMaxLength(edit_limit);
  form->addRow(label, edit);
  return edit;
}

void oracle_settings_page::page_init() {
  tk_log(2, "ora_settings_page2<t_converter>::page_init");
  control<QLineEdit>(server)->setText(to_qstring(settings_.host));
  control<QLineEdit>(port)->setText(to_qstring(settings_.port));
  control<QLineEdit>(username)->setText(to_qstring(settings_.user));
  control<QLineEdit>(password)->setText(to_qstring(settings_.password));
  control<QLineEdit>(database)->setText(to_qstring(settings_.service));
}

void oracle_settings_page::store_settings() {
  tk_log(2, "oracle_settings_page2<t_converter>::store_settings");
  auto text = [&](int id) { return to_u16(control<QLineEdit>(id)->text()); };
  settings_.host = text(server);
  settings_.user = text(username);
  settings_.password = text(password);
  settings_.port = text(port);
  settings_.service = text(database);
}

int oracle_settings_page::on_next() {
  store_settings();
  if (settings_.service.empty()) {
    boxes().message(no_database);
    return -1;
  }
  if (!connect_oracle(settings_, converter_, boxes(), this)) {
    tk_log(2, "Cannot connect to Oracle");
    return -1;
  }
  tk_log(2, "Connection has been established");
  return 0;
}

int oracle_settings_page::on_back() {
  store_settings();
  return 0;
}

bool oracle_settings_page::connect_oracle(const vesper_settings& settings, vesper_converter& converter,
                                          const wizard_boxes& boxes, QWidget* parent) {
  std::optional<tk_exception> failure;
  animation_dialog dialog(boxes, connecting, parent);
  dialog.run([&] {
    tk_log(2, "Just before calling 'connect_oracle_server', dest=%s", settings.service);
    try {
      converter.connect_oracle_server(settings);
    } catch (const tk_exception& e) {
      failure = e;
    } catch (const std::exception& e) {
      failure = tk_exception(e.what());
    }
  });
  if (!failure) return true;
  // The failure is shown here, on the user-interface thread: the user must
  // learn why the page stays.
  tk_log(3, "Error:\n%s", failure->message);
  boxes.error(failure_text(converter.reporter(), *failure));
  return false;
}
