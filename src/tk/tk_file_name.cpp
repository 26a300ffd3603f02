#include "tk_file_name.hpp"

#include "tk_convert.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

tk_file_name::tk_file_name(const char* path) {
  if (!path) TK_ASSERTION_FAILED();
  tk_log(1, "tk_file_name::ctor(%s)", path);
  if (*path) {
    tk_split_full_path(tk_full_path(path), *this);
  } else {
    tk_split_full_path(tk_executable_path(), *this);
    name.clear();
  }
}

tk_file_wname::tk_file_wname(const char16_t* path) {
  if (!path) TK_ASSERTION_FAILED();
  initialize(path);
}

void tk_file_wname::initialize(const char16_t* path) {
  tk_log(1, "tk_file_wname::initialize(%s)", path);
  tk_file_name narrow(tk_to_utf8(path));
  extension = tk_utf8_to_ucs2(narrow.extension);
  drive = tk_utf8_to_ucs2(narrow.drive);
  name = tk_utf8_to_ucs2(narrow.name);
  folder = tk_utf8_to_ucs2(narrow.folder);
}

std::u16string tk_executable_wpath() { return tk_utf8_to_ucs2(tk_executable_path()); }

std::string tk_path_utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
