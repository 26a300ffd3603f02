#include "udb_memory_target.hpp"

#include <algorithm>

#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_wstring.hpp"
#include "udb_target_exception.hpp"

namespace {

std::size_t column_of(const udb_schema& schema, const std::u16string& name) {
  for (std::size_t i = 0; i < schema.size(); ++i)
    if (schema[i].name == name) return i;
  throw tk_exception(tk_format(u"The table has no column %s", name), tk_exception::internal_level);
}

}  // namespace

void udb_memory_target::start_run(const udb_target_options& options) {
  options_ = options;
  run_names_.clear();
}

void udb_memory_target::end_run() {
  options_.conversion = nullptr;
  close_journal();
}

// Unique in the run: a name given twice gets a number.
std::u16string udb_memory_target::table_name(const std::u16string& customised) {
  const std::u16string wanted = options_.upper_case ? tk_wstring(customised).to_upper() : customised;
  std::u16string chosen = wanted;
  for (int n = 2; run_names_.count(chosen); ++n) chosen = wanted + u"_" + tk_utf8_to_utf16_lenient(std::to_string(n));
  run_names_.insert(chosen);
  return chosen;
}

bool udb_memory_target::table_exists(const std::u16string& name) { return tables_.count(name) != 0; }

void udb_memory_target::check_fits(const udb_schema& schema) {
  if (schema.size() > max_columns)
    throw tk_exception(tk_format("The table has %d columns; the target holds %d at most", schema.size(), max_columns));
}

void udb_memory_target::drop_table(const std::u16string& name) {
  if (busy.count(name)) throw tk_exception("Cannot delete table because it is busy with another process");
  tables_.erase(name);
}

udb_memory_table::contents& udb_memory_target::contents_of(const std::u16string& name) {
  const auto found = tables_.find(name);
  if (found == tables_.end())
    throw tk_exception(tk_format(u"The target has no table %s", name), tk_exception::internal_level);
  return found->second;
}

// The new columns come last, and the rows there get nothing in them.
void udb_memory_target::add_columns(const std::u16string& table, const udb_schema& schema,
                                    const std::vector<std::size_t>& positions) {
  udb_memory_table::contents& contents = contents_of(table);
  for (std::size_t at : positions) {
    contents.schema.add(std::make_unique<t_ftd>(schema[at]));
    for (std::vector<ole_variant>& row : contents.rows) row.emplace_back();
  }
}

std::unique_ptr<udb_recordset> udb_memory_target::open_table(const std::u16string& name) {
  return std::make_unique<udb_memory_table>(name, contents_of(name), journal_open_ ? &journal_ : nullptr,
                                            before_append);
}

std::unique_ptr<udb_recordset> udb_memory_target::create_table(const std::u16string& name, const udb_schema& schema,
                                                               const udb_column_note&,
                                                               const std::function<void(const std::string&)>&) {
  check_fits(schema);
  tables_[name].schema = schema;
  return open_table(name);
}

void udb_memory_target::create_indexes(const std::u16string& table, const udb_schema&, const udb_indexes& indexes,
                                       const udb_index_note&) {
  udb_memory_table::contents& contents = contents_of(table);
  for (const udb_index& index : indexes) contents.indexes.push_back(index.name);
}

// A required column some rows leave empty stays nullable, as a database
// refuses NOT NULL on it.
void udb_memory_target::require_columns(const std::u16string& table, const udb_schema& schema, const udb_indexes&,
                                        const udb_column_note& failed) {
  udb_memory_table::contents& contents = contents_of(table);
  for (std::size_t i = 0; i < schema.size(); ++i) {
    if (!schema[i].required) continue;
    const bool empty_somewhere = std::any_of(contents.rows.begin(), contents.rows.end(),
                                             [&](const std::vector<ole_variant>& row) { return row[i].get_type() == VT_NULL || row[i].get_type() == VT_EMPTY; });
    if (empty_somewhere)
      failed(schema[i].name, "some rows leave it empty");
    else
      contents.required.push_back(schema[i].name);
  }
}

// Refused, as a database refuses it, when a child row's key has no parent row.
void udb_memory_target::create_foreign_key(const udb_key_side& child, const udb_key_side& parent) {
  const udb_memory_table::contents& children = contents_of(child.table);
  const udb_memory_table::contents& parents = contents_of(parent.table);
  auto key = [](const udb_memory_table::contents& table, const std::vector<std::u16string>& columns,
                const std::vector<ole_variant>& row) {
    std::vector<std::u16string> values;
    for (const std::u16string& column : columns) values.push_back(row[column_of(table.schema, column)].to_wstring());
    return values;
  };
  std::set<std::vector<std::u16string>> parent_keys;
  for (const std::vector<ole_variant>& row : parents.rows) parent_keys.insert(key(parents, parent.columns, row));
  for (const std::vector<ole_variant>& row : children.rows)
    if (!parent_keys.count(key(children, child.columns, row)))
      throw udb_target_exception(std::string("parent key not found"));
  foreign_keys_.push_back({child.table, parent.table, child.columns, parent.columns});
}

udb_journal* udb_memory_target::open_journal() {
  journal_open_ = keeps_journal;
  return journal_open_ ? &journal_ : nullptr;
}

const udb_memory_table::contents* udb_memory_target::table(const std::u16string& name) const {
  const auto found = tables_.find(name);
  return found == tables_.end() ? nullptr : &found->second;
}

std::vector<std::u16string> udb_memory_target::tables() const {
  std::vector<std::u16string> names;
  for (const auto& [name, contents] : tables_) names.push_back(name);
  return names;
}
