#include "dbf_source.hpp"

#include <filesystem>
#include <fstream>

#include "dbf_container.hpp"
#include "dbf_database.hpp"
#include "dbf_field_properties.hpp"
#include "dbf_recordset.hpp"
#include "dbf_table_indexes.hpp"
#include "tk_file_name.hpp"
#include "tk_case.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "tk_reporter.hpp"

dbf_source::dbf_source(dbf_source_options options, tk_reporter& reporter)
    : options_(std::move(options)), reporter_(reporter) {}

dbf_source::~dbf_source() = default;

void dbf_source::open() {
  folder_ = std::make_unique<dbf_database>(options_.folder, options_.code_page, reporter_);
  tk_log(1, "After initializing DBs");
}

dbf_database& dbf_source::folder() const {
  if (!folder_) throw tk_exception("The DBF folder is used before it was opened", tk_exception::internal_level);
  return *folder_;
}

std::vector<std::u16string> dbf_source::table_names() { return folder().get_tables(); }

bool dbf_source::has_table(const std::u16string& name) { return folder().is_table_exist(name); }

// The DBF file's size: its memo file grows with it, and a size costs no read.
std::uint64_t dbf_source::table_size(const std::u16string& name) {
  std::error_code failed;
  const std::uintmax_t size = std::filesystem::file_size(tk_native_path(folder().get_full_table_name(name)), failed);
  return failed ? 0 : static_cast<std::uint64_t>(size);
}

// The header's record count (bytes 4 to 7, low byte first), read alone: the
// table is opened later by the session that loads it.
std::uint64_t dbf_source::table_records(const std::u16string& name) {
  std::ifstream file(tk_native_path(folder().get_full_table_name(name)), std::ios::binary);
  unsigned char header[8] = {};
  if (!file.read(reinterpret_cast<char*>(header), sizeof header)) return 0;
  return header[4] | header[5] << 8 | header[6] << 16 | static_cast<std::uint64_t>(header[7]) << 24;
}

udb_opened_table dbf_source::open_table(const std::u16string& name,
                                        const std::function<void(const std::string&)>& say) {
  const std::string shown = tk_printable_name_utf8(name);
  std::unique_ptr<dbf_recordset> table = folder().open_table(
      name, options_.read_indexes ? dbf_recordset::index_files::read : dbf_recordset::index_files::skip);
  // Long field names first: key expressions are written with them.
  dbf_container::table_facts container = dbf_container::apply(*table, shown);
  dbf_field_properties::apply(*table, shown);
  say_code_page(*table, shown, say);
  if (options_.read_indexes) read_indexes(*table, shown, container.primary_tag, say);
  if (options_.table_opened) options_.table_opened(*table);
  return {std::move(table), std::move(container.relations)};
}

void dbf_source::say_code_page(const dbf_recordset& table, const std::string& shown,
                               const std::function<void(const std::string&)>& say) const {
  if (!table.code_page_warning().empty()) reporter_.warn({shown, 0, {}, table.code_page_warning()});
  if (table.code_page_guessed())
    say(tk_format("Table %s: --encoding=auto reads its text in code page %d, which it looks like (sure: %d%%)", shown,
                  table.get_codepage(), table.text_code_page().sureness));
}

void dbf_source::read_indexes(dbf_recordset& table, const std::string& shown, const std::u16string& primary_tag,
                              const std::function<void(const std::string&)>& say) const {
  dbf_table_indexes reader(table, shown, options_.keep_deleted);
  table.indexes = reader.read();
  for (const std::string& note : reader.notes()) say(shown + ": " + note);
  mark_primary_key(table.indexes, primary_tag, shown);
}

// The container's primary key tag: a candidate index in the file, the
// table's primary key in the target.
void dbf_source::mark_primary_key(udb_indexes& indexes, const std::u16string& tag, const std::string& shown) const {
  if (tag.empty()) return;
  for (udb_index& index : indexes.list)
    if (tk_loose_equal(index.name, tag)) {
      index.unique = index.primary = true;
      return;
    }
  reporter_.warn({shown, 0, {},
                  tk_format("the primary key tag %s did not become an Oracle index: the table gets no primary key", tag)});
}

// A file whose name clashes in case with another's is converted under a
// name of its own; the user must learn which.
std::string dbf_source::renamed_note(const std::u16string& name, const std::u16string& converted_as) const {
  const dbf_renamed_file* renamed = folder().renamed(name);
  if (!renamed) return {};
  return tk_format("table %s: file %s converted as %s", renamed->table, renamed->file, converted_as);
}
