#include "dbf_index_files.hpp"

#include "dbf_recordset.hpp"
#include "tk_file_name.hpp"

std::vector<dbf_index_files::entry> dbf_index_files::of(const std::string& table_file, bool structural) {
  std::vector<entry> found;
  auto add = [&](const char* extension, kind format) {
    std::string path = dbf_sibling_file(table_file, extension);
    if (!path.empty()) found.push_back({path, format});
  };
  if (structural) {
    add("cdx", kind::cdx);
    add("mdx", kind::mdx);
  }
  add("idx", kind::idx);
  add("ndx", kind::ndx);
  add("ntx", kind::ntx);
  return found;
}

std::string dbf_index_files::missing_structural(const std::string& table_file, bool structural, bool foxpro) {
  if (!structural) return {};
  if (!dbf_sibling_file(table_file, "cdx").empty() || !dbf_sibling_file(table_file, "mdx").empty()) return {};
  return tk_file_name(table_file).name + (foxpro ? ".cdx" : ".mdx");
}
