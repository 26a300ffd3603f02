#include "tables_model.hpp"

#include <algorithm>

#include "check_model.hpp"
#include "dbf_container.hpp"
#include "dbf_database.hpp"
#include "dbf_field_properties.hpp"
#include "dbf_recordset.hpp"
#include "ora_db_mutator.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "tk_reporter.hpp"
#include "udb_schema.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"
#include "wizard_guard.hpp"

namespace {
bool contains(const std::vector<std::u16string>& list, const std::u16string& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

// The columns as the run creates them, which its customisation names: the
// long names and defaults of the table's database container or dBASE 7
// properties. What those files lack is the run's to warn of: here it goes
// to the trace only.
udb_schema columns_as_converted(const vesper_settings& settings, const std::u16string& table) {
  tk_log_reporter quiet;
  dbf_database folder(settings.folder, settings.code_page, quiet);
  const std::unique_ptr<dbf_recordset> source = folder.open_table(table, dbf_recordset::index_files::skip);
  dbf_container::apply(*source, tk_printable_name_utf8(table));
  dbf_field_properties::apply(*source, tk_printable_name_utf8(table));
  return source->schema;
}

// The records the run reads from `file`: its header's count and the whole
// records after them. The header and the file's size tell them; no record
// is read (an explicit code page spares the guess from the text).
std::u16string records_in(const std::string& file) {
  try {
    const dbf_recordset table(file, dbf_recordset::index_files::skip, 1252);
    const std::uint32_t count = table.record_count();
    return tk_utf8_to_utf16_lenient(tk_format("%u record%s", count, count == 1 ? "" : "s"));
  } catch (const tk_exception& e) {
    return tk_utf8_to_utf16_lenient("cannot be read: " + e.message);
  }
}
}  // namespace

tables_model::tables_model(vesper_settings& settings, vesper_converter& converter, bool& nothing_chosen)
    : settings_(settings), converter_(converter), nothing_chosen_(nothing_chosen) {}

void tables_model::load(const wizard_prompts& prompts) {
  tk_log(2, "tables_model::load");
  available_.clear();
  selected_.clear();
  records_.clear();
  guarded(converter_.reporter(), prompts, [&] {
    dbf_database folder(settings_.folder, settings_.code_page, converter_.reporter());
    available_ = folder.get_tables();
    count_records(folder);
  });
  available_queries_ = settings_.unused_queries;
  selected_queries_.clear();
  for (const auto& [name, text] : settings_.table_queries)
    if (!text.empty()) selected_queries_[name] = text;
  for (const auto& [name, text] : available_queries_) available_.push_back(name);
  select_earlier_choice();
}

void tables_model::count_records(const dbf_database& folder) {
  for (const std::u16string& table : available_) records_[table] = records_in(folder.get_full_table_name(table));
}

std::u16string tables_model::records_text(const std::u16string& name) const {
  const auto found = records_.find(name);
  return found == records_.end() || is_query(name) ? std::u16string() : found->second;
}

// The tables in the order they were chosen, then the queries.
void tables_model::select_earlier_choice() {
  std::vector<std::u16string> names = settings_.tables;
  for (const auto& [name, text] : settings_.table_queries) names.push_back(name);
  for (const std::u16string& name : names) {
    if (contains(selected_, name)) continue;
    if (selected_queries_.count(name)) {
      selected_.push_back(name);
      continue;
    }
    const auto at = std::find(available_.begin(), available_.end(), name);
    if (at != available_.end()) move(available_, std::size_t(at - available_.begin()), selected_);
  }
}

std::u16string tables_model::label_of(const std::u16string& name) const {
  if (is_query(name)) return name + u" (query)";
  const ora_table_mutator* changes = converter_.customisation().table(name);
  if (changes && !changes->new_name.empty()) return changes->new_name + u" (" + name + u")";
  return name;
}

bool tables_model::is_query(const std::u16string& name) const {
  return available_queries_.count(name) || selected_queries_.count(name);
}

bool tables_model::is_listed(const std::u16string& name) const {
  return contains(available_, name) || contains(selected_, name);
}

// A query keeps its text in the map of the list it is in.
void tables_model::move(std::vector<std::u16string>& from, std::size_t row, std::vector<std::u16string>& to) {
  if (row >= from.size()) return;
  const std::u16string name = from[row];
  from.erase(from.begin() + std::ptrdiff_t(row));
  query_map& source = &from == &available_ ? available_queries_ : selected_queries_;
  query_map& target = &source == &available_queries_ ? selected_queries_ : available_queries_;
  if (auto found = source.find(name); found != source.end()) {
    target[name] = found->second;
    source.erase(found);
  }
  to.push_back(name);
}

void tables_model::add(std::size_t row) { move(available_, row, selected_); }
void tables_model::remove(std::size_t row) { move(selected_, row, available_); }

void tables_model::add_all() {
  while (!available_.empty()) move(available_, 0, selected_);
}

void tables_model::remove_all() {
  while (!selected_.empty()) move(selected_, 0, available_);
}

wizard_notice tables_model::check_query_name(const std::u16string& name, const std::u16string& old_name) const {
  return name == old_name || !is_listed(name) ? wizard_notice{} : wizard_notice::message(duplicate_name);
}

void tables_model::add_query(const std::u16string& name, const std::u16string& text) {
  selected_queries_[name] = text;
  selected_.push_back(name);
}

const std::u16string* tables_model::query_text(const std::u16string& name) const {
  const auto found = selected_queries_.find(name);
  return found == selected_queries_.end() ? nullptr : &found->second;
}

void tables_model::change_query(const std::u16string& old_name, const std::u16string& name,
                                const std::u16string& text) {
  selected_queries_.erase(old_name);
  selected_queries_[name] = text;
  std::replace(selected_.begin(), selected_.end(), old_name, name);
}

// The map and types files are read first: without them there is nothing
// to choose from, and the error says which one is missing.
std::unique_ptr<udb_schema> tables_model::columns_to_edit(const std::u16string& table,
                                                          const wizard_prompts& prompts) const {
  std::unique_ptr<udb_schema> schema;
  guarded(converter_.reporter(), prompts, [&] {
    ora_db_mutator::get_mapped_types(u"");
    ora_db_mutator::get_type_attributes(u"");
    schema = std::make_unique<udb_schema>(columns_as_converted(settings_, table));
  });
  return schema;
}

std::vector<std::u16string> tables_model::chosen_tables() const {
  std::vector<std::u16string> tables;
  for (const std::u16string& name : selected_)
    if (!is_query(name)) tables.push_back(name);
  return tables;
}

std::string tables_model::check(const wizard_prompts& prompts, const wizard_busy_runner& busy) const {
  const std::vector<std::u16string> tables = chosen_tables();
  if (tables.empty()) {
    prompts.message(check_model::nothing_chosen);
    return {};
  }
  return check_model(settings_, converter_).report(tables, busy);
}

// The tables in the order they were chosen; queries stay in their maps.
void tables_model::store() {
  settings_.tables = chosen_tables();
  settings_.table_queries = selected_queries_;
  settings_.unused_queries = available_queries_;
}

bool tables_model::next(const wizard_prompts& prompts) {
  if (selected_.empty() && !available_.empty() && !prompts.question(none_selected, true)) return false;
  store();
  // An empty list would make the run take every table of the folder.
  nothing_chosen_ = settings_.tables.empty();
  return true;
}

void tables_model::back() { store(); }

bool tables_model::logicals_as_is() const { return settings_.logicals_as_is; }
