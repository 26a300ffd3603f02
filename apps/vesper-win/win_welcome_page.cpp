#include "win_welcome_page.hpp"

#include <shellapi.h>

#include "tk_logger.hpp"
#include "win_file_dialogs.hpp"
#include "win_resource.h"
#include "win_shell.hpp"

namespace {
constexpr int heading_percent = 160;
}

win_welcome_page::win_welcome_page(vesper_settings& settings, vesper_converter& converter)
    : win_page(IDD_WELCOME, buttons::next, help), model_(settings, converter) {}

void win_welcome_page::on_init() { make_heading(IDC_HEADING, heading_percent); }

void win_welcome_page::load_profile(const std::string& path) { model_.load_profile(path, boxes()); }

void win_welcome_page::on_command(int id, int code) {
  if (id != IDC_LOAD_SETTINGS || code != BN_CLICKED) return;
  tk_log(2, "welcome_page_t::on_load");
  const std::string path = win_file_dialogs::open_profile(sheet());
  if (!path.empty()) load_profile(path);
}

bool win_welcome_page::on_notify(const NMHDR& header, LONG_PTR&) {
  if (header.idFrom != IDC_WEB_LINK || (header.code != NM_CLICK && header.code != NM_RETURN)) return false;
  const auto& link = reinterpret_cast<const NMLINK&>(header);
  shell().open_document(link.item.szUrl);
  return true;
}
