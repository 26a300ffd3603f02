#include "win_file_dialogs.hpp"

#include <commdlg.h>
#include <shlobj.h>

#include "tk_logger.hpp"
#include "win_text.hpp"
#include "wizard_guard.hpp"

namespace {

// "Profile Files (.vpx)|*.vpx|All Files (*.*)|*.*|" with each "|" a list separator.
std::wstring profile_filter() {
  const std::string extension = profile_extension;
  std::wstring filter = win_wide("Profile Files (." + extension + ")|*." + extension + "|All Files (*.*)|*.*|");
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  return filter;
}

std::string pick(HWND owner, bool save) {
  const std::wstring filter = profile_filter();
  const std::wstring extension = win_wide(profile_extension);
  std::wstring path(MAX_PATH * 4, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = L"Select Profile File";
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
  if (!chosen) return {};
  path.resize(wcslen(path.c_str()));
  return tk_win_utf8(path);
}

}  // namespace

std::string win_file_dialogs::open_profile(HWND owner) { return pick(owner, false); }

std::string win_file_dialogs::save_profile(HWND owner) { return pick(owner, true); }

std::string win_file_dialogs::folder(HWND owner, const char* title) {
  const std::wstring caption = win_wide(title);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = caption.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
  if (!chosen) {
    tk_log(1, "SHBrowseFolder failed");
    return {};
  }
  std::wstring path(MAX_PATH, L'\0');
  const bool got = ::SHGetPathFromIDListW(chosen, path.data());
  ::CoTaskMemFree(chosen);
  if (!got) {
    tk_log(1, "SHGetPathFromIDList failed");
    return {};
  }
  path.resize(wcslen(path.c_str()));
  tk_log(2, "Got path: %s", tk_win_utf8(path));
  return tk_win_utf8(path);
}
