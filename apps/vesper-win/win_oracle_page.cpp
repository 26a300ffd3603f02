#include "win_oracle_page.hpp"

#include "tk_logger.hpp"
#include "win_connecting_dialog.hpp"
#include "win_resource.h"
#include "win_shell.hpp"

namespace {
constexpr int fields[] = {IDC_SERVER, IDC_PORT, IDC_USERNAME, IDC_PASSWORD, IDC_DATABASE};
}

win_oracle_page::win_oracle_page(vesper_settings& settings, vesper_converter& converter)
    : win_page(IDD_ORACLE, buttons::back_next, help, "Step 1 of 5", "Connect to Oracle server"),
      model_(settings, converter) {}

void win_oracle_page::on_init() {
  for (int id : fields) ::SendDlgItemMessageW(window(), id, EM_LIMITTEXT, oracle_login_model::edit_limit, 0);
}

void win_oracle_page::page_init() {
  tk_log(2, "oracle_settings_page::page_init");
  model_.load();
  set_text(IDC_SERVER, model_.host);
  set_text(IDC_PORT, model_.port);
  set_text(IDC_USERNAME, model_.user);
  set_text(IDC_PASSWORD, model_.password);
  set_text(IDC_DATABASE, model_.service);
}

void win_oracle_page::store() {
  model_.host = text(IDC_SERVER);
  model_.port = text(IDC_PORT);
  model_.user = text(IDC_USERNAME);
  model_.password = text(IDC_PASSWORD);
  model_.service = text(IDC_DATABASE);
  model_.store();
}

bool win_oracle_page::on_next() {
  store();
  return model_.next(boxes(), win_connecting_dialog::runner(shell().own_boxes(), sheet()));
}

bool win_oracle_page::on_back() {
  store();
  model_.back();
  return true;
}
