#include "win_encoding_page.hpp"

#include "tk_logger.hpp"
#include "win_resource.h"
#include "win_text.hpp"

win_encoding_page::win_encoding_page(vesper_settings& settings)
    : win_page(IDD_ENCODING, buttons::back_next, help, "Step 3 of 5", "Specify FoxPor/DBase encoding"),
      model_(settings) {}

// The list is filled once: the choices do not change.
void win_encoding_page::on_init() {
  for (const encoding_model::choice& choice : model_.choices())
    ::SendDlgItemMessageW(window(), IDC_ENCODING, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(win_wide(choice.label).c_str()));
}

void win_encoding_page::page_init() {
  tk_log(2, "encoding_page::page_init");
  model_.load();
  ::SendDlgItemMessageW(window(), IDC_ENCODING, CB_SETCURSEL, model_.row, 0);
}

void win_encoding_page::store() {
  const LRESULT row = ::SendDlgItemMessageW(window(), IDC_ENCODING, CB_GETCURSEL, 0, 0);
  if (row != CB_ERR) model_.row = static_cast<std::size_t>(row);
  model_.store();
}

bool win_encoding_page::on_next() {
  store();
  return true;
}

bool win_encoding_page::on_back() {
  store();
  return true;
}
