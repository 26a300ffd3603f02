#include <unistd.h>

#include <vector>

#include "tk_file_name.hpp"
#include "tk_mail_assertion.hpp"

namespace {

std::string current_directory() {
  std::vector<char> buffer(4096);
  if (!::getcwd(buffer.data(), buffer.size())) TK_ASSERTION_FAILED();
  return buffer.data();
}

}  // namespace

void tk_split_full_path(const std::string& full, tk_file_name& parts) {
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

std::string tk_with_separator(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

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

std::filesystem::path tk_native_path(const std::string& path) { return path; }

std::FILE* tk_open_stdio(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }
