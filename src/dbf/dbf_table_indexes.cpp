#include "dbf_table_indexes.hpp"

#include "dbf_cdx_reader.hpp"
#include "dbf_idx_reader.hpp"
#include "dbf_index_files.hpp"
#include "dbf_key_expression.hpp"
#include "dbf_mdx_reader.hpp"
#include "dbf_ndx_reader.hpp"
#include "dbf_ntx_reader.hpp"
#include "dbf_recordset.hpp"
#include "tk_case.hpp"
#include "tk_file_name.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {

std::vector<dbf_index_tag> read_file(const dbf_index_files::entry& file) {
  switch (file.format) {
    case dbf_index_files::kind::cdx: return dbf_cdx_reader(file.path).tags();
    case dbf_index_files::kind::mdx: return dbf_read_mdx(file.path);
    case dbf_index_files::kind::idx: return {dbf_read_idx(file.path)};
    case dbf_index_files::kind::ndx: return {dbf_read_ndx(file.path)};
    case dbf_index_files::kind::ntx: return {dbf_read_ntx(file.path)};
    case dbf_index_files::kind::nsx: break;
  }
  return {};
}

bool is_foxpro(std::uint8_t version) { return version == 0x30 || version == 0x31 || version == 0x32 || version == 0xF5; }

}  // namespace

dbf_table_indexes::dbf_table_indexes(const dbf_recordset& table, std::string shown_name, bool deleted_converted)
    : table_(table), shown_name_(std::move(shown_name)), deleted_converted_(deleted_converted) {}

void dbf_table_indexes::warn(const std::string& what) const {
  table_.reporter().warn({shown_name_, 0, {}, what});
}

std::vector<dbf_index_tag> dbf_table_indexes::tags_of_files() {
  const bool structural = table_.table_flags() & 0x01;
  const std::string missing =
      dbf_index_files::missing_structural(table_.file_name(), structural, is_foxpro(table_.version()));
  if (!missing.empty())
    warn(tk_format("the table's header names a structural index file, but %s is missing; its indexes are not created",
                   missing));
  std::vector<dbf_index_tag> tags;
  for (const dbf_index_files::entry& file : dbf_index_files::of(table_.file_name(), structural)) {
    const std::string name = tk_path_utf8(tk_native_path(file.path).filename());
    if (file.format == dbf_index_files::kind::nsx) {
      warn(tk_format("its index file %s is in Harbour's NSX format, which is not read: its indexes are not created",
                     name));
      continue;
    }
    if (file.unflagged) {
      tk_log(2, "Structural index file %s read though the header's flag is clear", file.path);
      notes_.push_back(tk_format("its header does not name a structural index file, but %s is there: its tags are "
                                 "read as the table's",
                                 name));
    }
    tk_log(2, "Reading index file %s", file.path);
    try {
      std::vector<dbf_index_tag> read = read_file(file);
      tags.insert(tags.end(), read.begin(), read.end());
    } catch (const tk_exception& e) {
      warn(e.message + "; its indexes are not created");
    }
  }
  return tags;
}

udb_indexes dbf_table_indexes::read() {
  udb_indexes indexes;
  for (const dbf_index_tag& tag : tags_of_files()) add(tag, indexes);
  return indexes;
}

bool dbf_table_indexes::add(const dbf_index_tag& tag, udb_indexes& indexes) const {
  tk_log(1, "Index tag %s of %s: key %s, filter '%s', unique=%d, candidate=%d, descending=%d", tag.name, tag.file,
         tag.expression, tag.filter, int(tag.unique), int(tag.candidate), int(tag.descending));
  auto left_out = [&](const std::string& why) {
    warn(tk_format("index %s of %s (key %s%s%s) is not created: %s", tag.name, tag.file, tag.expression,
                   tag.filter.empty() ? "" : ", for ", tag.filter, why));
    return false;
  };
  const auto filter = dbf_key_expression::classify_filter(tag.filter);
  if (filter == dbf_key_expression::filter_kind::other)
    return left_out("Oracle indexes every row, and this filter keeps some out");
  std::string why;
  const auto parts = dbf_key_expression(table_.schema).translate(tag.expression, why);
  if (!parts) return left_out(why);
  bool unique = tag.candidate;
  // Rows the filter kept out of the xBase index may repeat a key in Oracle.
  if (unique && (filter == dbf_key_expression::filter_kind::deleted ||
                 (filter == dbf_key_expression::filter_kind::not_deleted && deleted_converted_))) {
    tk_log(2, "Index %s: unique among the records its filter keeps only, created as a plain index", tag.name);
    unique = false;
  }
  udb_index index(tk_to_upper(tk_utf8_to_utf16_lenient(tag.name)), unique, false, {});
  index.descending = tag.descending;
  for (const dbf_key_part& part : *parts) {
    index.fields.push_back(part.column);
    index.functions.push_back(part.function);
  }
  if (!indexes.is_acceptable_name(index.name)) return left_out("another index of the table has that name");
  indexes.list.push_back(index);
  return true;
}
