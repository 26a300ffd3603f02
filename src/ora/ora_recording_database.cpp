#include "ora_recording_database.hpp"

#include <algorithm>

#include "ora_indexes_initializer.hpp"
#include "ora_recording_table.hpp"
#include "ora_schema_initializer.hpp"
#include "ora_table.hpp"
#include "tk_case.hpp"
#include "tk_logger.hpp"

bool ora_planned_column::renamed() const { return tk_to_upper(source) != tk_to_upper(name); }

ora_recording_database::ora_recording_database(ora_engine* engine, std::vector<std::u16string> existing,
                                               const ora_server_limits& server_limits)
    : ora_database(engine, u"", catalog::skip) {
  tables = std::move(existing);
  limits = server_limits;
}

void ora_recording_database::run(const std::u16string& sql) {
  tk_log(2, "Would run: %s", sql);
  pending_.push_back(sql);
}

bool ora_recording_database::delete_tab(const std::u16string& name) {
  tk_log(2, "Would drop table %s", name);
  dropped_.push_back(name);
  return udb_database::delete_tab(name);
}

void ora_recording_database::add_columns(const std::u16string& table, const udb_schema& schema,
                                         const std::vector<std::size_t>& positions) {
  ora_database::add_columns(table, schema, positions);
  widened_.push_back(table);
}

void ora_recording_database::table_built(const ora_schema_initializer& builder, const ora_indexes_initializer* keys) {
  ora_planned_table table;
  table.name = builder.table;
  table.schema = builder.schema;
  std::map<std::u16string, std::u16string> source_of;
  for (const auto& [source, target] : builder.names_map.pairs) source_of.emplace(target, source);
  for (std::size_t i = 0; i < builder.schema.size(); ++i) {
    const t_ftd& column = builder.schema[i];
    auto found = source_of.find(column.name);
    std::u16string type = builder.column_type(column);
    type.erase(type.find_last_not_of(u' ') + 1);  // the type map leaves a space after some types
    table.columns.push_back({found == source_of.end() ? column.name : found->second, column.name, type});
  }
  if (keys) record_indexes(table, *keys);
  table.statements = std::move(pending_);
  pending_.clear();
  for (const std::u16string& name : dropped_)
    if (name == table.name) table.replaces_existing = true;
  planned_.push_back(std::move(table));
}

void ora_recording_database::record_indexes(ora_planned_table& table, const ora_indexes_initializer& keys) {
  for (std::size_t i = 0; i < keys.indexes.size(); ++i)
    table.index_statements[keys.source_names[i]] = keys.index_text(keys.indexes[i]);
}

// Indexes come after the rows: their statements join the table's plan.
void ora_recording_database::indexes_built(const std::u16string& name, const ora_indexes_initializer& keys) {
  for (ora_planned_table& table : planned_) {
    if (table.name != name) continue;
    record_indexes(table, keys);
    table.statements.insert(table.statements.end(), pending_.begin(), pending_.end());
  }
  pending_.clear();
}

std::unique_ptr<udb_recordset> ora_recording_database::get_table(const std::u16string& name, udb_access) {
  if (const ora_planned_table* table = planned(name))
    return std::make_unique<ora_recording_table>(name, table->schema);
  // A table the connected schema holds: its columns as the catalog has them,
  // read without writing anything.
  const bool widened = std::find(widened_.begin(), widened_.end(), name) != widened_.end();
  return std::make_unique<ora_recording_table>(name, std::make_unique<ora_table>(*this, name), widened);
}

const ora_planned_table* ora_recording_database::planned(const std::u16string& name) const {
  for (const ora_planned_table& table : planned_)
    if (table.name == name) return &table;
  return nullptr;
}
