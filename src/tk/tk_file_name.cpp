#include "tk_file_name.hpp"

#include <unistd.h>

#include <vector>

#include "tk_convert.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

namespace {

std::string current_directory() {
  std::vector<char> buffer(4096);
  if (!::getcwd(buffer.data(), buffer.size())) TK_ASSERTION_FAILED();
  return buffer.data();
}

void split(const std::string& full, tk_file_name& parts) {
  std::size_t slash = full.rfind('/');
  parts.folder = full.substr(0, slash + 1);
  std::string file = full.substr(slash + 1);
  std::size_t dot = file.rfind('.');
  if (dot != std::string::npos) {
    parts.extension = file.substr(dot);
    file.erase(dot);
  }
  parts.name = file;
}

}  // namespace

std::string tk_full_path(const std::string& path) {
  std::string absolute = !path.empty() && path[0] == '/' ? path : current_directory() + "/" + path;
  std::vector<std::string> steps;
  std::size_t start = 1;
  while (start <= absolute.size()) {
    std::size_t end = absolute.find('/', start);
    if (end == std::string::npos) end = absolute.size();
    std::string step = absolute.substr(start, end - start);
    if (step == "..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
    start = end + 1;
  }
  std::string full;
  for (const std::string& step : steps) full += "/" + step;
  bool ends_as_folder = absolute.back() == '/' || steps.empty() ||
                        absolute.ends_with("/.") || absolute.ends_with("/..");
  return ends_as_folder ? full + "/" : full;
}

tk_file_name::tk_file_name(const char* path) {
  if (!path) TK_ASSERTION_FAILED();
  tk_log(1, "tk_file_name::ctor(%s)", path);
  if (*path) {
    split(tk_full_path(path), *this);
  } else {
    split(tk_executable_path(), *this);
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
