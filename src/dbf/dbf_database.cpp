#include "dbf_database.hpp"

#include <algorithm>
#include <set>

#include "dbf_no_memo_exception.hpp"
#include "dbf_recordset.hpp"
#include "tk_case.hpp"
#include "tk_convert.hpp"
#include "tk_folder.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"
#include "tk_printable_name.hpp"
#include "tk_reporter.hpp"
#include "tk_temp_chdir.hpp"

namespace {

std::u16string table_name_of(const std::u16string& file) {
  std::u16string lower = tk_to_lower(file);
  if (lower.size() >= 4 && lower.ends_with(u".dbf")) lower.resize(lower.size() - 4);
  return lower;
}

}  // namespace

dbf_database::dbf_database(const std::u16string& folder, int codepage_, tk_reporter& reporter)
    : udb_database(folder, udb_name_match::ignoring_case), codepage(codepage_), reporter_(reporter) {
  tk_log(2, "dbf_database::ctor");
  tk_temp_chdir_w place;
  place.initialize(folder);
  if (!place.changed())
    throw tk_exception(tk_format(u"Cannot open the folder %s", tk_printable_name(folder)), tk_exception::run_level);
  folder_ = place.folder();
  std::vector<tk_folder_entry> entries;
  tk_list_folder(folder_, entries);
  std::vector<std::pair<std::string, std::u16string>> names;
  for (const tk_folder_entry& entry : entries) {
    std::u16string wide;
    if (!entry.regular_file || !tk_system_to_wide(entry.name, wide)) continue;
    if (!tk_wildcard_match(u"*.dbf", wide)) continue;
    tk_log(1, "Found file: %s", wide);
    names.emplace_back(entry.name, table_name_of(wide));
  }
  add_files(names);
}

void dbf_database::add_files(const std::vector<std::pair<std::string, std::u16string>>& names) {
  std::vector<std::u16string> order;  // tables in the order of the listing
  std::map<std::u16string, std::vector<std::string>> files_of;
  for (const auto& [file, table] : names) {
    std::vector<std::string>& files = files_of[table];
    if (files.empty()) order.push_back(table);
    files.push_back(file);
  }
  std::set<std::u16string> taken(order.begin(), order.end());
  for (const std::u16string& table : order) {
    std::vector<std::string>& files = files_of[table];
    std::sort(files.begin(), files.end());  // exact byte order: the same names on every run
    add_table(table, files.front());
    for (std::size_t i = 1; i < files.size(); ++i) {
      std::u16string alias;
      for (int n = 1; alias.empty() || taken.count(alias); ++n) alias = tk_wformat(u"%s_%d", table, n);
      taken.insert(alias);
      renamed_[alias] = dbf_renamed_file{table, files[i]};
      tk_log(2, "File %s is the table %s", files[i], alias);
      add_table(alias, files[i]);
    }
  }
}

void dbf_database::add_table(const std::u16string& table, const std::string& file) {
  files_[table] = folder_ + file;
  tables.push_back(table);
}

const dbf_renamed_file* dbf_database::renamed(const std::u16string& table) const {
  auto found = renamed_.find(tk_to_lower(table));
  return found == renamed_.end() ? nullptr : &found->second;
}

std::string dbf_database::get_full_table_name(const std::u16string& table) const {
  tk_log(1, "dbf_database::get_full_table_name(%s)", table);
  std::u16string lower = tk_to_lower(table);
  auto listed = files_.find(lower);
  if (listed != files_.end()) return listed->second;
  std::string file = tk_to_utf8(lower.ends_with(u".dbf") ? lower : lower + u".dbf");
  auto found = tk_find_ignoring_case(folder_, file);
  return found ? *found : folder_ + file;
}

std::unique_ptr<udb_recordset> dbf_database::create_table(const std::u16string&,
                                                          const udb_schema&,
                                                          const udb_indexes&) {
  TK_ASSERTION_FAILED();  // the DBF folder is only read
}

std::unique_ptr<udb_recordset> dbf_database::get_table(const std::u16string& table, udb_access access) {
  tk_log(2, "dbf_database::get_table(%s)", table);
  if (access == udb_access::append) TK_ASSERTION_FAILED();
  return open_table(table, access == udb_access::read ? dbf_recordset::index_files::read
                                                      : dbf_recordset::index_files::skip);
}

std::unique_ptr<dbf_recordset> dbf_database::open_table(const std::u16string& table,
                                                        dbf_recordset::index_files indexes) {
  auto recordset = std::make_unique<dbf_recordset>(get_full_table_name(table), indexes, codepage);
  recordset->name = tk_to_lower(table);  // reports name the table as the run does, not its file
  recordset->report_to(reporter_);
  if (recordset->memo_missing()) reporter_.error(dbf_no_memo_exception(), tk_printable_name_utf8(table), true);
  return recordset;
}
