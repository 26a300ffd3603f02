#include "dbf_container.hpp"

#include <algorithm>
#include <filesystem>

#include "dbf_record.hpp"
#include "dbf_recordset.hpp"
#include "error_handler.hpp"
#include "tk_case.hpp"
#include "tk_convert.hpp"
#include "tk_file_name.hpp"
#include "tk_folder.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {

long number_of(const udb_field& field) {
  try {
    return std::stol(tk_to_utf8(field.to_wstring()));
  } catch (const std::exception&) {
    return 0;
  }
}

std::u16string text_of(const udb_field& field) {
  std::u16string text = field.to_wstring();
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\0')) text.pop_back();
  return text;
}

}  // namespace

dbf_container::dbf_container(const std::string& path) {
  dbf_recordset table(path, dbf_recordset::read_mode | dbf_recordset::skip_indexes, 0);
  const int id = table.schema.get_field_idx(u"OBJECTID"), parent = table.schema.get_field_idx(u"PARENTID");
  const int type = table.schema.get_field_idx(u"OBJECTTYPE"), name = table.schema.get_field_idx(u"OBJECTNAME");
  if (id < 0 || parent < 0 || type < 0 || name < 0)
    throw tk_exception(tk_format("%s is not a database container: it lacks OBJECTID, PARENTID, OBJECTTYPE or "
                                 "OBJECTNAME",
                                 std::filesystem::path(path).filename().string()));
  for (table.first(); !table.is_eof(); table.next()) {
    auto& record = static_cast<dbf_record&>(table.get_item());
    if (record.deleted) continue;
    objects_.push_back({number_of(record[std::size_t(id)]), number_of(record[std::size_t(parent)]),
                        text_of(record[std::size_t(type)]), text_of(record[std::size_t(name)])});
  }
}

std::vector<std::u16string> dbf_container::field_names(const std::u16string& table) const {
  auto listed = std::find_if(objects_.begin(), objects_.end(), [&](const object& o) {
    return tk_loose_equal(o.type, u"Table") && tk_loose_equal(o.name, table);
  });
  std::vector<std::u16string> names;
  if (listed == objects_.end()) return names;
  for (const object& o : objects_)
    if (o.parent == listed->id && tk_loose_equal(o.type, u"Field")) names.push_back(o.name);
  return names;
}

std::string dbf_container::find(const std::string& table_file, const std::string& link) {
  std::string relative = link;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  const std::string folder = tk_file_name(table_file).folder;
  const std::filesystem::path given(relative);
  // Beside the table first (folders are often moved together), then where the link points.
  if (auto found = tk_find_ignoring_case(folder, given.filename().string())) return *found;
  if (given.has_parent_path()) {
    const std::filesystem::path place = (std::filesystem::path(folder) / given.parent_path()).lexically_normal();
    if (auto found = tk_find_ignoring_case(place.string() + "/", given.filename().string())) return *found;
  }
  return {};
}

void dbf_container::apply(dbf_recordset& table, const std::string& shown_name) {
  const std::string link = table.container_link();
  if (link.empty()) return;
  auto warn = [&](const std::string& why) {
    error_handler::report_warning({shown_name, 0, {}, why + "; the table keeps the short field names of its header"});
  };
  const std::string path = find(table.file_name(), link);
  if (path.empty()) return warn(tk_format("the table belongs to the database container %s, which is not found", link));
  std::vector<std::u16string> names;
  try {
    names = dbf_container(path).field_names(tk_utf8_to_utf16_lenient(tk_file_name(table.file_name()).name));
  } catch (const tk_exception& e) {
    return warn(tk_format("its database container %s cannot be read (%s)", link, e.message));
  }
  if (names.size() != table.schema.size())
    return warn(tk_format("its database container %s lists %d fields for it, its header %d", link, names.size(),
                          table.schema.size()));
  for (std::size_t i = 0; i < names.size(); ++i) {
    tk_log(1, "Long field name %s for %s", names[i], table.schema[i].name);
    if (!names[i].empty()) table.rename_column(i, names[i]);
  }
}
