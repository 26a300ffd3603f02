#include "tk_yaml_config.hpp"

#include <fstream>

#include "tk_convert.hpp"
#include "tk_file_name.hpp"
#include "tk_logger.hpp"
#include "tk_trim.hpp"

bool tk_yaml_config::load(const std::string& path, const std::set<std::u16string>& filter) {
  tk_log(2, "tk_yaml_config::load(%s)", path);
  std::ifstream in(tk_native_path(path), std::ios::binary);
  if (!in) return false;
  std::string line, key;
  while (std::getline(in, line)) take_line(line, key, filter);
  return true;
}

void tk_yaml_config::take_line(std::string line, std::string& key,
                               const std::set<std::u16string>& filter) {
  // The files may come from Windows: a line ends with "\r\n" there.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  tk_log(1, "Got text line: %s", line);
  line = tk_trim(line);
  if (line.empty()) {
    tk_log(1, "Skip empty line");
  } else if (line.back() == ':') {
    key = line.substr(0, line.size() - 1);
  } else if (line.front() == '-') {
    std::u16string item = tk_utf8_to_ucs2(tk_trim(std::string_view(line).substr(1)));
    std::u16string wide_key = tk_utf8_to_ucs2(key);
    if (filter.count(item)) {
      tk_log(1, "String '%s' has not passed the filter", item);
    } else {
      data[wide_key].push_back(item);
      tk_log(1, "String '%s' has been stored under key='%s'", item, wide_key);
    }
  }
}
