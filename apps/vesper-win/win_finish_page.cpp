#include "win_finish_page.hpp"

#include "tk_logger.hpp"
#include "win_clipboard.hpp"
#include "win_file_dialogs.hpp"
#include "win_resource.h"
#include "win_shell.hpp"
#include "win_text.hpp"

namespace {
constexpr int heading_percent = 160;
}

win_finish_page::win_finish_page(vesper_settings& settings, vesper_converter& converter,
                                 const wizard_error_list& errors, const bool& nothing_chosen)
    : win_page(IDD_FINISH, buttons::finish, no_help), model_(settings, converter, errors, nothing_chosen) {}

void win_finish_page::on_init() { make_heading(IDC_FINISH_HEADING, heading_percent); }

void win_finish_page::page_init() {
  tk_log(2, "gui_finish_page::page_init");
  // Nothing is left to cancel.
  shell().enable_button(IDCANCEL, false);
  const finish_model::outcome ended = model_.load();
  set_text(IDC_FINISH_HEADING, ended.heading);
  set_text(IDC_FINISH_TEXT, ended.text);
  const bool listed = !ended.errors.empty();
  if (listed) set_text(IDC_ERROR_LIST, ended.errors_text());
  show_control(IDC_ERROR_LIST, listed);
  show_control(IDC_COPY, listed);
}

bool win_finish_page::store_profile(const std::string& path) { return model_.store_profile(path, boxes()); }

// The selected part of the list, or all of it when nothing is selected.
void win_finish_page::on_copy() {
  const std::wstring all = win_wide(text(IDC_ERROR_LIST, 1 << 20));
  DWORD from = 0, to = 0;
  ::SendDlgItemMessageW(window(), IDC_ERROR_LIST, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                        reinterpret_cast<LPARAM>(&to));
  win_clipboard::put(window(), from < to && to <= all.size() ? all.substr(from, to - from) : all);
}

void win_finish_page::on_command(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == IDC_COPY) on_copy();
  if (id != IDC_SAVE_SETTINGS) return;
  tk_log(2, "gui_finish_page_t::on_store");
  const std::string path = win_file_dialogs::save_profile(sheet());
  if (!path.empty()) store_profile(path);
}
