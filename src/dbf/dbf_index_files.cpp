#include "dbf_index_files.hpp"

#include <algorithm>
#include <filesystem>
#include <set>

#include "dbf_recordset.hpp"
#include "tk_file_name.hpp"

std::vector<dbf_index_files::entry> dbf_index_files::of(const std::string& table_file, bool structural) {
  std::vector<entry> found;
  auto add = [&](const char* extension, kind format, bool unflagged) {
    std::string path = dbf_sibling_file(table_file, extension);
    if (!path.empty()) found.push_back({path, format, unflagged});
  };
  add("cdx", kind::cdx, !structural);
  add("mdx", kind::mdx, !structural);
  add("idx", kind::idx, false);
  add("ndx", kind::ndx, false);
  add("ntx", kind::ntx, false);
  add("nsx", kind::nsx, false);
  return found;
}

namespace {

std::string lower_extension(const std::filesystem::path& file) {
  std::string extension = tk_path_utf8(file.extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

}  // namespace

std::vector<std::string> dbf_index_files::of_no_table(const std::string& folder) {
  static const std::set<std::string> index_extensions = {".cdx", ".mdx", ".idx", ".ndx", ".ntx", ".nsx"};
  std::set<std::string> indexes, linked;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(tk_native_path(folder), error)) {
    if (!item.is_regular_file(error)) continue;
    const std::string extension = lower_extension(item.path());
    if (index_extensions.count(extension)) indexes.insert(tk_path_utf8(item.path().filename()));
    if (extension == ".dbf")
      for (const entry& e : of(tk_path_utf8(item.path()), true))
        linked.insert(tk_path_utf8(tk_native_path(e.path).filename()));
  }
  std::vector<std::string> unlinked;
  std::set_difference(indexes.begin(), indexes.end(), linked.begin(), linked.end(), std::back_inserter(unlinked));
  return unlinked;
}

std::string dbf_index_files::missing_structural(const std::string& table_file, bool structural, bool foxpro) {
  if (!structural) return {};
  if (!dbf_sibling_file(table_file, "cdx").empty() || !dbf_sibling_file(table_file, "mdx").empty()) return {};
  return tk_file_name(table_file).name + (foxpro ? ".cdx" : ".mdx");
}
