#include "ora_database.hpp"

#include <algorithm>

#include "ora_engine.hpp"
#include "ora_exception.hpp"
#include "ora_indexes_initializer.hpp"
#include "ora_journal.hpp"
#include "ora_work_table.hpp"
#include "ora_sync_digests.hpp"
#include "ora_query_results.hpp"
#include "ora_schema_initializer.hpp"
#include "ora_stmt.hpp"
#include "ora_table.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

ora_database::ora_database(ora_engine* engine, const std::u16string& name_, catalog views)
    : udb_database(name_, udb_name_match::exact), engine_(engine) {
  tk_log(2, "ora_database::ctor(%s)", name_);
  if (views == catalog::skip) return;
  try {
    init_views();
  } catch (const ora_exception& e) {
    tk_log(1, "Error while extracting views:\n%s\n", e.message);
  }
}

ora_database::~ora_database() = default;

ora_engine& ora_database::engine() const {
  if (!engine_) TK_ASSERTION_FAILED();
  return *engine_;
}

void ora_database::init_views() {
  tk_log(2, "ora_database::init_views");
  ora_query_results rows(engine(), 2, u"select VIEW_NAME, TEXT from SYS.USER_VIEWS");
  while (ora_record* row = rows.next_record()) {
    std::u16string view = (*row)[0].to_wstring(), text = (*row)[1].to_wstring();
    tk_log(1, "GOT VIEW: %s|%s", view, text);
    views[view] = text;
  }
}

void ora_database::init_tables() {
  tk_log(2, "ora_database::init_tables(b_owned_by_user=%d)", 1);
  ora_stmt statement(engine());
  if (!owner.empty())
    statement.prepare(u"select TABLE_NAME, IOT_TYPE from ALL_TABLES where " + owner_condition(u"OWNER") +
                      u"TEMPORARY='N' and NESTED='NO' and (IOT_TYPE IS NULL OR IOT_TYPE='IOT')");
  else
    statement.prepare(engine().get_version() < 0x80000
                          ? u"select TABLE_NAME from user_tables"
                          : u"select TABLE_NAME, IOT_TYPE from user_tables where TEMPORARY='N' and "
                            u"NESTED='NO' and IOT_TYPE IS NULL OR IOT_TYPE='IOT'");
  char16_t buffer[256] = {};
  sb2 indicator = 0;
  statement.define(1, buffer, sizeof buffer, oci::sqlt_str, &indicator);
  for (bool row = statement.execute(1) != oci::no_data; row; row = statement.fetch()) {
    tk_log(1, "Find table '%s'", buffer);
    if (std::u16string(buffer) == ora_journal::table_name || std::u16string(buffer) == ora_sync_digests::table_name ||
        std::u16string(buffer) == ora_work_table::table_name)
      continue;  // ours, not the user's
    tables.emplace_back(buffer);
  }
  tk_log(2, "Tables count: %d", tables.size());
}

const std::vector<std::u16string>& ora_database::get_tables() {
  tk_log(1, "ora_database::get_tables");
  tables.clear();
  init_tables();
  return tables;
}

std::unique_ptr<udb_recordset> ora_database::get_table(const std::u16string& table, udb_access) {
  tk_log(2, "ora_database::get_table(%s)", table);
  if (!is_table_exist(table)) TK_ASSERTION_FAILED();
  return std::make_unique<ora_table>(*this, table);
}

std::unique_ptr<udb_recordset> ora_database::get_table(const std::u16string& table, const std::u16string& text) {
  tk_log(2, "ora_database::get_table(%s)", table);
  return std::make_unique<ora_table>(*this, table, text);
}

std::unique_ptr<udb_recordset> ora_database::create_table(const std::u16string& table,
                                                          const udb_schema& source,
                                                          const udb_indexes& source_indexes) {
  tk_log(2, "ora_database::create_table(%s)", table);
  creation_warnings.clear();
  if (!is_table_exist(table)) {
    check_fits(source);
    ora_schema_initializer builder(table, source, source_indexes, b_uppercase, limits, conversion);
    builder.owner = owner;
    builder.tablespace = tablespace;
    builder.lob_tablespace = lob_tablespace;
    builder.column_notes = column_notes;
    builder.build_schema(*this);
    creation_warnings = builder.warnings;
    if (!source_indexes.empty()) {
      ora_indexes_initializer keys(table, builder.schema, source_indexes, builder.names_map, names_for_keys());
      keys.owner = owner;
      keys.build_indexes(*this);
      table_built(builder, &keys);
    } else {
      table_built(builder, nullptr);
    }
    tables.push_back(table);
  }
  return get_table(table, udb_access::append);
}

void ora_database::add_columns(const std::u16string& table, const udb_schema& source,
                               const std::vector<std::size_t>& positions) {
  ora_schema_initializer builder(table, source, udb_indexes(), b_uppercase, limits, conversion);
  builder.owner = owner;
  const std::u16string text = builder.add_columns_text(positions);
  tk_log(3, "Run SQL query: %s", text);
  run(text);
}

void ora_database::table_built(const ora_schema_initializer&, const ora_indexes_initializer*) {}

void ora_database::indexes_built(const std::u16string&, const ora_indexes_initializer&) {}

void ora_database::create_indexes(const std::u16string& table, const udb_schema& schema,
                                  const udb_indexes& indexes, const ora_indexes_initializer::failure& failed) {
  tk_log(2, "ora_database::create_indexes(%s)", table);
  if (indexes.empty()) return;
  // The column names the table was created with: the same names, made the same way.
  ora_schema_initializer names(table, schema, indexes, b_uppercase, limits);
  ora_indexes_initializer keys(table, names.schema, indexes, names.names_map, names_for_keys());
  keys.owner = owner;
  if (!names_from_schema) {
    keys.build_indexes(*this, failed);
    indexes_built(table, keys);
    return;
  }
  // Agents beside this one name their keys from the same schema at the same
  // time, so a name read as free can be gone by the time it is used: such
  // an index is named again from the schema as it is now.
  keys.build_indexes_noting_clashes(*this, failed);
  indexes_built(table, keys);
  udb_indexes clashed = indexes_named(indexes, keys.name_clashes);
  for (int attempt = 1; !clashed.empty(); ++attempt) {
    tk_log(2, "Another session took %d index names of %s: naming them again", clashed.size(), table);
    ora_indexes_initializer again(table, names.schema, clashed, names.names_map, names_for_keys());
    again.owner = owner;
    if (attempt < max_name_attempts) {
      again.build_indexes_noting_clashes(*this, failed);
    } else {
      again.build_indexes(*this, failed);
    }
    clashed = indexes_named(clashed, again.name_clashes);
  }
}

udb_indexes ora_database::indexes_named(const udb_indexes& indexes, const std::vector<std::u16string>& names) {
  udb_indexes chosen;
  for (const udb_index& index : indexes)
    if (std::find(names.begin(), names.end(), index.name) != names.end()) chosen.list.push_back(index);
  return chosen;
}

void ora_database::require_columns(const std::u16string& table, const udb_schema& schema,
                                   const udb_indexes& indexes, const column_failure& failed) {
  // The column names the table was created with: the same names, made the same way.
  ora_schema_initializer names(table, schema, indexes, b_uppercase, limits);
  for (std::size_t i = 0; i < schema.size(); ++i) {
    if (!schema[i].required) continue;
    const std::u16string column = names.names_map.get_mapped_name(schema[i].name, udb_name_match::exact);
    try {
      run(u"ALTER TABLE " + sql_name(table) + u" MODIFY (" + ora_quoted(column) + u" NOT NULL)");
    } catch (const ora_exception& e) {
      if (e.connection_lost()) throw;
      failed(schema[i].name, e.message);
    }
  }
}

void ora_database::create_foreign_key(const key_side& child, const key_side& parent) {
  // Column names as the tables were built: the same names, made the same way.
  auto columns = [&](const key_side& side) {
    ora_schema_initializer names(side.table, side.schema, side.indexes, b_uppercase, limits);
    std::u16string text;
    for (std::size_t i = 0; i < side.columns.size(); ++i)
      text += (i ? u", " : u"") + ora_quoted(names.names_map.get_mapped_name(side.columns[i], udb_name_match::exact));
    return text;
  };
  run(u"ALTER TABLE " + sql_name(child.table) + u" ADD FOREIGN KEY (" + columns(child) + u") REFERENCES " +
      sql_name(parent.table) + u" (" + columns(parent) + u")");
}

ora_in_validator& ora_database::names_for_keys() {
  ora_in_validator& registry = index_names();
  if (!names_from_schema) return registry;
  for (const char16_t* query : {u"SELECT INDEX_NAME FROM ", u"SELECT CONSTRAINT_NAME FROM "}) {
    const bool indexes = query[7] == u'I';
    ora_stmt statement(engine());
    statement.prepare(query + dictionary(indexes ? u"INDEXES" : u"CONSTRAINTS") +
                      (owner.empty() ? u"" : u" WHERE OWNER = '" + ora_literal_text(owner) + u"'"));
    char16_t buffer[256] = {};
    sb2 indicator = 0;
    statement.define(1, buffer, sizeof buffer, oci::sqlt_str, &indicator);
    for (bool row = statement.execute(1) != oci::no_data; row; row = statement.fetch())
      if (indicator != -1) registry.names.restricted_names.push_back(buffer);
  }
  return registry;
}

std::u16string ora_database::dictionary(const char16_t* name) const {
  return (owner.empty() ? u"USER_" : u"ALL_") + std::u16string(name);
}

std::u16string ora_database::owner_condition(const char16_t* column) const {
  if (owner.empty()) return {};
  return column + std::u16string(u" = '") + ora_literal_text(owner) + u"' AND ";
}

void ora_database::check_fits(const udb_schema& schema) const {
  if (schema.size() <= limits.max_columns()) return;
  throw tk_exception(tk_format("The table has %d columns, and Oracle allows at most %d in a table. Leave "
                               "columns out with a customisation of the table, or split the DBF file.",
                               schema.size(), limits.max_columns()));
}

bool ora_database::delete_tab(const std::u16string& table) {
  tk_log(2, "ora_database::delete_tab(%s)", table);
  if (!is_table_exist(table)) TK_ASSERTION_FAILED();
  run(u"DROP TABLE " + sql_name(table) + u" CASCADE CONSTRAINTS");
  return udb_database::delete_tab(table);
}

void ora_database::run(const std::u16string& sql) {
  ora_stmt statement(engine());
  statement.prepare(sql);
  statement.execute(1);
}

std::unique_ptr<udb_recordset> ora_database::query(const std::u16string& text) {
  tk_log(2, "ora_database::query(%s)", text);
  run(text);
  return nullptr;
}

bool ora_database::test_query(const std::u16string& text) {
  tk_log(2, "ora_database::test_query(%s)", text);
  ora_stmt statement(engine());
  statement.prepare(text);
  statement.execute(0, oci::describe_only);
  return true;
}

void ora_database::commit_records() {
  if (journal)
    journal->commit();
  else
    engine().commit();
}
