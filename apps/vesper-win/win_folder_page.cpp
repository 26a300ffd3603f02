#include "win_folder_page.hpp"

#include <commctrl.h>

#include "tk_logger.hpp"
#include "win_file_dialogs.hpp"
#include "win_resource.h"

namespace {

// The radio buttons of the modes 0 (overwrite), 1 (merge), 2 (skip) and 3 (sync).
constexpr int mode_buttons[] = {IDC_MODE_OVERWRITE, IDC_MODE_MERGE, IDC_MODE_SKIP, IDC_MODE_SYNC};

struct check_box {
  int id;
  bool folder_model::*value;
};
constexpr check_box check_boxes[] = {
    {IDC_LOGICALS_AS_IS, &folder_model::logicals_as_is}, {IDC_DEFINITIONS_ONLY, &folder_model::definitions_only},
    {IDC_SKIP_DELETED, &folder_model::skip_deleted},     {IDC_UPPER_CASE, &folder_model::upper_case},
    {IDC_RESUME, &folder_model::resume},                 {IDC_ROW_BY_ROW, &folder_model::row_by_row}};

}  // namespace

win_folder_page::win_folder_page(vesper_settings& settings)
    : win_page(IDD_FOLDER, buttons::back_next, help, "Step 2 of 5", "Conversion settings"), model_(settings) {}

void win_folder_page::on_init() {
  ::SendDlgItemMessageW(window(), IDC_FOLDER, EM_LIMITTEXT, folder_model::edit_limit, 0);
  ::SendDlgItemMessageW(window(), IDC_BATCH_SPIN, UDM_SETRANGE32, 1, folder_model::max_batch_rows);
  ::SendDlgItemMessageW(window(), IDC_COMMIT_SPIN, UDM_SETRANGE32, 0, folder_model::max_commit_rows);
  ::SendDlgItemMessageW(window(), IDC_SESSIONS_SPIN, UDM_SETRANGE32, 1, vesper_settings::max_parallel);
}

void win_folder_page::page_init() {
  tk_log(2, "sel_file_page::page_init");
  model_.load();
  for (const check_box& box : check_boxes) set_checked(box.id, model_.*box.value);
  const auto mode = static_cast<std::size_t>(model_.existing_tables);
  for (std::size_t i = 0; i < std::size(mode_buttons); ++i) set_checked(mode_buttons[i], i == mode);
  ::SendDlgItemMessageW(window(), IDC_BATCH_SPIN, UDM_SETPOS32, 0, static_cast<LPARAM>(model_.batch_rows));
  ::SendDlgItemMessageW(window(), IDC_COMMIT_SPIN, UDM_SETPOS32, 0, static_cast<LPARAM>(model_.commit_rows));
  ::SendDlgItemMessageW(window(), IDC_SESSIONS_SPIN, UDM_SETPOS32, 0, static_cast<LPARAM>(model_.parallel));
  show_sizes_enabled();
  if (!model_.folder.empty()) set_text(IDC_FOLDER, model_.folder);
}

void win_folder_page::show_sizes_enabled() {
  const bool enabled = !checked(IDC_ROW_BY_ROW);
  for (int id : {IDC_BATCH_ROWS, IDC_BATCH_SPIN, IDC_COMMIT_ROWS, IDC_COMMIT_SPIN}) enable(id, enabled);
}

// The spin boxes keep their numbers within their ranges.
void win_folder_page::store() {
  model_.folder = text(IDC_FOLDER);
  for (const check_box& box : check_boxes) model_.*box.value = checked(box.id);
  for (std::size_t i = 0; i < std::size(mode_buttons); ++i) {
    if (checked(mode_buttons[i])) {
      model_.existing_tables = static_cast<existing_table_mode>(i);
      break;
    }
  }
  model_.batch_rows = static_cast<std::uint32_t>(::SendDlgItemMessageW(window(), IDC_BATCH_SPIN, UDM_GETPOS32, 0, 0));
  model_.commit_rows =
      static_cast<std::uint32_t>(::SendDlgItemMessageW(window(), IDC_COMMIT_SPIN, UDM_GETPOS32, 0, 0));
  model_.parallel = static_cast<std::uint32_t>(::SendDlgItemMessageW(window(), IDC_SESSIONS_SPIN, UDM_GETPOS32, 0, 0));
}

bool win_folder_page::on_next() {
  store();
  return model_.next(boxes());
}

bool win_folder_page::on_back() {
  store();
  model_.back();
  return true;
}

void win_folder_page::on_command(int id, int code) {
  if (id == IDC_ROW_BY_ROW && code == BN_CLICKED) show_sizes_enabled();
  if (id != IDC_BROWSE || code != BN_CLICKED) return;
  const std::string chosen = win_file_dialogs::folder(sheet(), "Select folder with DBF file(s)");
  if (!chosen.empty()) set_text(IDC_FOLDER, chosen);
}
