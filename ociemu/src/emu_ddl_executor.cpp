#include "emu_ddl_executor.hpp"

#include <algorithm>
#include <cstdio>
#include <set>

#include "emu_connection.hpp"
#include "emu_evaluator.hpp"
#include "emu_sql_rewriter.hpp"
#include "emu_text.hpp"
#include "emu_value_converter.hpp"

namespace ociemu {

namespace {

std::string quote(const std::u16string& name) { return "\"" + to_utf8(name) + "\""; }

// Name of the SQLite index that enforces a key or backs an index (SQLite shares one
// namespace between tables and indexes, Oracle does not).
std::string sqlite_index(const std::u16string& name) { return quote(u"ociemu_ix_" + name); }

emu_cell text(const std::u16string& s) {
  emu_cell c;
  c.kind = emu_cell::type::text;
  c.text = to_utf8(s);
  return c;
}
emu_cell text(const std::string& s) {
  emu_cell c;
  c.kind = emu_cell::type::text;
  c.text = s;
  return c;
}
emu_cell integer(std::int64_t v) {
  emu_cell c;
  c.kind = emu_cell::type::integer;
  c.integer = v;
  return c;
}
emu_cell optional_integer(const std::optional<int>& v) { return v ? integer(*v) : emu_cell{}; }

void exec_meta(emu_sqlite& db, const std::string& sql, std::initializer_list<emu_cell> args) {
  auto& s = db.cached(sql);
  int i = 1;
  for (const auto& a : args) s.bind(i++, a);
  s.step();
  s.reset();
}

std::string column_list(const std::vector<std::u16string>& columns) {
  std::string out;
  for (const auto& c : columns) out += (out.empty() ? "" : ", ") + quote(c);
  return out;
}

bool same_list(const std::vector<std::u16string>& a, const std::vector<std::u16string>& b) {
  return a == b;
}

bool same_set(std::vector<std::u16string> a, std::vector<std::u16string> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

}  // namespace

emu_ddl_executor::emu_ddl_executor(emu_connection& connection, std::u16string owner)
    : connection_(connection), owner_(std::move(owner)), catalog_(connection.catalog()), db_(connection.db()) {}

std::string emu_ddl_executor::owner() const { return owner_.empty() ? connection_.owner() : to_utf8(owner_); }

std::optional<emu_error> emu_ddl_executor::run(const emu_ddl& statement) {
  connection_.commit();  // DDL ends the open transaction first
  connection_.begin_ddl(locked_tables(statement));
  try {
    auto warning = apply(statement);
    connection_.commit();
    db_.forget_cached();
    if (const auto name = added_object(statement)) catalog_.add_names_of(*name);
    else catalog_.invalidate();
    return warning;
  } catch (...) {
    connection_.rollback();
    db_.forget_cached();
    throw;
  }
}

// The existing tables a statement needs without other sessions' locks (Oracle Database
// Concepts, "Exclusive DDL Locks" and "Share DDL Locks"): the table it drops, alters or
// indexes, or puts a trigger on, and the parent of a foreign key it adds.
std::vector<std::u16string> emu_ddl_executor::locked_tables(const emu_ddl& statement) {
  auto with_parents = [](std::u16string table, const std::vector<emu_key_spec>& keys) {
    std::vector<std::u16string> tables;
    if (!table.empty()) tables.push_back(std::move(table));
    for (const auto& key : keys)
      if (key.type == 'R' && !key.ref_table.empty()) tables.push_back(key.ref_table);
    return tables;
  };
  if (const auto* s = std::get_if<emu_create_table>(&statement)) return with_parents({}, s->keys);
  if (const auto* s = std::get_if<emu_alter_table>(&statement)) return with_parents(s->table, {s->key});
  if (const auto* s = std::get_if<emu_create_index>(&statement)) return {s->table};
  if (const auto* s = std::get_if<emu_create_trigger>(&statement)) return {s->table};
  if (const auto* s = std::get_if<emu_drop>(&statement); s && s->object_type == "TABLE") return {s->name};
  return {};
}

// The object whose names are all a statement can have added to the catalog;
// nothing when it may have removed or renamed one (a drop, an ALTER TABLE,
// a view).
std::optional<std::u16string> emu_ddl_executor::added_object(const emu_ddl& statement) {
  if (const auto* s = std::get_if<emu_create_table>(&statement)) return s->name;
  if (const auto* s = std::get_if<emu_create_index>(&statement)) return s->table;
  if (const auto* s = std::get_if<emu_create_sequence>(&statement)) return s->name;
  if (const auto* s = std::get_if<emu_create_trigger>(&statement)) return s->table;
  return std::nullopt;  // a view may replace one with other columns
}

std::optional<emu_error> emu_ddl_executor::apply(const emu_ddl& statement) {
  if (const auto* s = std::get_if<emu_create_table>(&statement)) create_table(*s);
  else if (const auto* s = std::get_if<emu_drop>(&statement)) drop(*s);
  else if (const auto* s = std::get_if<emu_alter_table>(&statement)) alter_table(*s);
  else if (const auto* s = std::get_if<emu_create_index>(&statement)) create_index(*s);
  else if (const auto* s = std::get_if<emu_create_sequence>(&statement)) create_sequence(*s);
  else if (const auto* s = std::get_if<emu_create_trigger>(&statement)) return create_trigger(*s);
  else if (const auto* s = std::get_if<emu_create_view>(&statement)) create_view(*s);
  return std::nullopt;
}

std::int64_t emu_ddl_executor::count(const std::string& sql) {
  emu_sqlite_statement s(db_.handle(), sql);
  s.step();
  return s.column_int(0);
}

namespace {
constexpr std::size_t max_columns = 1000;  // without MAX_COLUMNS=EXTENDED, which 19c lacks
}  // namespace

// Oracle SQL Language Reference, CREATE TABLE / INDEX / SEQUENCE / TRIGGER / VIEW, ALTER
// TABLE, DROP TABLE ("Prerequisites"): the user's own privilege for objects of their own
// schema, the ANY privilege for another user's (for a trigger or an index: on another
// user's table); ORA-01031 without it.
void emu_ddl_executor::require(const std::u16string& object_owner, bool own, const char* any) const {
  const emu_user& user = connection_.user();
  const bool other = !object_owner.empty() && object_owner != user.name;
  if (other ? !user.has(any) : !own) throw ora_error(1031);
}

namespace {

// A key column's width as ORA-01450's description counts it: NUMBER(p) p/2 + 1 (and one more
// for a sign), other numbers 22, DATE 7, character and RAW columns their length in bytes.
int key_width(const emu_column_type& type) {
  if (type.kind == type_kind::number && type.precision) return *type.precision / 2 + 2;
  return type.catalog_length();
}

constexpr int max_key_bytes = 6398;  // 8 KB blocks

}  // namespace

void emu_ddl_executor::check_key_length(const emu_table_def& table, const std::vector<std::u16string>& columns) const {
  int total = 0;
  for (const auto& name : columns) {
    const int position = table.find_column(name);
    if (position >= 0) total += key_width(table.columns[static_cast<std::size_t>(position)].type) + 1;
  }
  if (total > max_key_bytes) throw ora_error(1450, {std::to_string(max_key_bytes)});
}

emu_column_type emu_ddl_executor::resolved(const emu_column_type& type) const {
  return type.with_default_semantics(connection_.settings().char_semantics());
}

void emu_ddl_executor::check_name_free(const std::u16string& name) {
  if (catalog_.object_type(name)) throw ora_error(955);
}

void emu_ddl_executor::check_new_columns(const std::vector<emu_column_spec>& columns,
                                         const emu_table_def* existing) {
  std::set<std::u16string> names;
  int longs = 0;
  if (existing) {
    for (const auto& c : existing->columns) {
      names.insert(c.name);
      longs += c.type.is_long();
    }
  }
  for (const auto& c : columns) {
    if (!names.insert(c.name).second) throw ora_error(957);
    if (c.type->is_long() && ++longs > 1) throw ora_error(1754);
    if (c.default_text) emu_evaluator::evaluate_default(connection_, *c.default_text);
  }
  if (names.size() > max_columns) throw ora_error(1792);
}

void emu_ddl_executor::create_table(const emu_create_table& s) {
  const emu_user& user = connection_.user();
  require(owner_, user.create_table, "CREATE ANY TABLE");
  if (!user.quota && (owner_.empty() || owner_ == user.name)) throw ora_error(1950, {"USERS"});
  check_name_free(s.name);
  check_new_columns(s.columns, nullptr);
  record_segments(s);
  catalog_.add_object(owner_.empty() ? user.name : owner_, s.name, "TABLE");
  std::string sql = "CREATE TABLE " + quote(s.name) + " (";
  for (std::size_t i = 0; i < s.columns.size(); ++i) {
    add_column(s.name, s.columns[i], static_cast<int>(i + 1));
    sql += (i ? ", " : "") + quote(s.columns[i].name);
  }
  try {
    db_.exec(sql + ")");
  } catch (const emu_sqlite_error& e) {
    // Names differing only in case collide in SQLite.
    throw ora_error(std::string(e.what()).find("duplicate column") != std::string::npos ? 957 : 955);
  }
  catalog_.add_names_of(s.name);
  std::vector<emu_key_spec> keys = s.keys;
  for (const auto& c : s.columns) {
    if (!c.key_type) continue;
    emu_key_spec key;
    key.name = c.key_name;
    key.type = c.key_type;
    key.columns = {c.name};
    keys.push_back(key);
  }
  for (const auto& key : keys) add_key(s.name, key);
}

void emu_ddl_executor::add_column(const std::u16string& table, const emu_column_spec& c,
                                  int column_id) {
  const emu_column_type t = resolved(*c.type);
  const char* used = t.char_used();
  exec_meta(db_,
      "INSERT INTO ociemu_tab_columns VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      {text(owner()), text(table), text(c.name), integer(column_id), text(t.declaration()),
       text(t.catalog_name()), integer(t.catalog_length()), optional_integer(t.catalog_precision()),
       optional_integer(t.catalog_scale()), text(std::string(c.not_null.value_or(false) ? "N" : "Y")),
       c.default_text ? text(*c.default_text) : emu_cell{},
       c.default_text ? integer(static_cast<std::int64_t>(c.default_text->size())) : emu_cell{},
       integer(t.char_length()), used ? text(std::string(used)) : emu_cell{}});
}

void emu_ddl_executor::add_key(const std::u16string& table_name, emu_key_spec key) {
  const auto table = catalog_.table(table_name);
  for (const auto& column : key.columns)
    if (table->find_column(column) < 0) throw ora_error(904, {quote(column)});
  const bool generated = key.name.empty();
  const std::u16string name = generated ? catalog_.generated_name() : key.name;
  if (catalog_.constraint_exists(name)) throw ora_error(2264);
  if (key.type == 'R') return add_foreign_key(*table, key, name);
  if (generated) key.name.clear();
  add_unique_key(*table, key, name);
}

std::optional<std::u16string> emu_ddl_executor::index_with_columns(
    const emu_table_def& table, const std::vector<std::u16string>& columns) {
  // Each index's keys as a list: a column by its name, an expression (a
  // function of a column, or a column in descending order) by its text
  // followed by " DESC" when descending.
  auto& s = db_.cached("SELECT INDEX_NAME, group_concat(KEY, char(1)) FROM "
                       "(SELECT c.INDEX_NAME, COALESCE(e.COLUMN_EXPRESSION || "
                       "CASE c.DESCEND WHEN 'DESC' THEN ' DESC' ELSE '' END, c.COLUMN_NAME) KEY "
                       "FROM ociemu_ind_columns c LEFT JOIN ociemu_ind_expressions e "
                       "ON e.INDEX_NAME = c.INDEX_NAME AND e.COLUMN_POSITION = c.COLUMN_POSITION "
                       "WHERE c.TABLE_NAME = ? ORDER BY c.INDEX_NAME, c.COLUMN_POSITION) GROUP BY INDEX_NAME");
  s.bind_text(1, to_utf8(table.name));
  std::u16string joined;
  for (const auto& c : columns) joined += (joined.empty() ? u"" : u"\u0001") + c;
  std::optional<std::u16string> found;
  while (!found && s.step())
    if (to_utf16(s.column_text(1)) == joined) found = to_utf16(s.column_text(0));
  s.reset();
  return found;
}

void emu_ddl_executor::add_unique_key(const emu_table_def& table, const emu_key_spec& key,
                                      const std::u16string& name) {
  for (const auto& existing : table.keys) {
    if (existing.type == 'I') continue;
    if (same_set(existing.columns, key.columns)) throw ora_error(2261);
    if (key.type == 'P' && existing.type == 'P') throw ora_error(2260);
  }
  check_key_length(table, key.columns);
  const std::string path = owner() + "." + to_utf8(name);
  if (key.type == 'P') {
    for (const auto& column : key.columns)
      if (count("SELECT count(*) FROM " + quote(table.name) + " WHERE " + quote(column) + " IS NULL"))
        throw ora_error(1449);
  }
  try {
    db_.exec("CREATE UNIQUE INDEX " + sqlite_index(name) + " ON " + quote(table.name) + " (" +
             column_list(key.columns) + ")");
  } catch (const emu_sqlite_error&) {
    throw ora_error(key.type == 'P' ? 2437 : 2299, {path});
  }
  const auto reused = index_with_columns(table, key.columns);
  if (!reused) {
    if (catalog_.index_exists(name)) throw ora_error(955);
    record_index(table.name, name, key.columns, true, key.name.empty());
  }
  record_constraint(table, key, name, reused.value_or(name), u"");
  if (key.type == 'P')
    for (const auto& column : key.columns) set_nullable(table.name, column, false);
}

void emu_ddl_executor::add_foreign_key(const emu_table_def& table, const emu_key_spec& key,
                                       const std::u16string& name) {
  const auto parent = catalog_.table(key.ref_table);
  const emu_key_def* referenced = nullptr;
  for (const auto& k : parent->keys) {
    if (k.type == 'I') continue;
    const bool matches = key.ref_columns.empty() ? k.type == 'P' : same_list(k.columns, key.ref_columns);
    if (matches) referenced = &k;
  }
  if (!referenced || referenced->columns.size() != key.columns.size()) throw ora_error(2270);
  std::string orphans = "SELECT count(*) FROM " + quote(table.name) + " c WHERE ";
  std::string join;
  for (std::size_t i = 0; i < key.columns.size(); ++i) {
    orphans += "c." + quote(key.columns[i]) + " IS NOT NULL AND ";
    join += (i ? " AND " : "") + std::string("p.") + quote(referenced->columns[i]) + " = c." + quote(key.columns[i]);
  }
  orphans += "NOT EXISTS (SELECT 1 FROM " + quote(parent->name) + " p WHERE " + join + ")";
  if (count(orphans)) throw ora_error(2298, {owner() + "." + to_utf8(name)});
  record_constraint(table, key, name, u"", referenced->name);
}

void emu_ddl_executor::record_constraint(const emu_table_def& table, const emu_key_spec& key,
                                         const std::u16string& name,
                                         const std::u16string& index_name,
                                         const std::u16string& referenced) {
  const bool generated = key.name.empty();
  exec_meta(db_, "INSERT INTO ociemu_constraints VALUES (?, ?, ?, ?, ?, ?, ?, 'ENABLED', ?, ?)",
      {text(owner()), text(name), text(std::string(1, key.type)), text(table.name),
       key.type == 'R' ? text(owner()) : emu_cell{},
       key.type == 'R' ? text(referenced) : emu_cell{},
       key.type == 'R' ? text(key.delete_rule) : emu_cell{},
       index_name.empty() ? emu_cell{} : text(index_name),
       text(std::string(generated ? "GENERATED NAME" : "USER NAME"))});
  for (std::size_t i = 0; i < key.columns.size(); ++i)
    exec_meta(db_, "INSERT INTO ociemu_cons_columns VALUES (?, ?, ?, ?, ?)",
        {text(owner()), text(name), text(table.name), text(key.columns[i]),
         integer(static_cast<std::int64_t>(i + 1))});
}

void emu_ddl_executor::record_index(const std::u16string& table, const std::u16string& name,
                                    const std::vector<std::u16string>& columns, bool unique,
                                    bool generated, const std::vector<bool>& descending) {
  exec_meta(db_, "INSERT INTO ociemu_indexes VALUES (?, ?, ?, ?, ?)",
      {text(owner()), text(name), text(table), text(std::string(unique ? "UNIQUE" : "NONUNIQUE")),
       text(std::string(generated ? "Y" : "N"))});
  for (std::size_t i = 0; i < columns.size(); ++i)
    exec_meta(db_, "INSERT INTO ociemu_ind_columns VALUES (?, ?, ?, ?, ?, ?)",
        {text(owner()), text(name), text(table), text(columns[i]),
         integer(static_cast<std::int64_t>(i + 1)),
         text(std::string(i < descending.size() && descending[i] ? "DESC" : "ASC"))});
}

namespace {

// The text the catalog keeps for an index's key that is no plain column.
std::u16string expression_of(const emu_create_index& s, std::size_t i) {
  const std::u16string column = u"\"" + s.columns[i] + u"\"";
  const std::u16string function = i < s.functions.size() ? s.functions[i] : u"";
  return function.empty() ? column : function + u"(" + column + u")";
}

}  // namespace

void emu_ddl_executor::create_index(const emu_create_index& s) {
  if (catalog_.index_exists(s.name)) throw ora_error(955);
  const auto table = catalog_.table(s.table);
  require(table->owner, true, "CREATE ANY INDEX");
  for (const auto& column : s.columns)
    if (table->find_column(column) < 0) throw ora_error(904, {quote(column)});
  check_key_length(*table, s.columns);
  auto is_expression = [&](std::size_t i) {
    return (i < s.functions.size() && !s.functions[i].empty()) || (i < s.descending.size() && s.descending[i]);
  };
  // The same keys in the same order and direction are indexed once.
  std::vector<std::u16string> keys_listed = s.columns;
  for (std::size_t i = 0; i < s.columns.size(); ++i)
    if (is_expression(i))
      keys_listed[i] = expression_of(s, i) + (i < s.descending.size() && s.descending[i] ? u" DESC" : u"");
  if (index_with_columns(*table, keys_listed)) throw ora_error(1408);
  // A function of a column, and a column in descending order, is indexed as
  // a hidden column SYS_NCnnnnn$ numbered after the table's columns; the
  // expression is kept beside it.
  std::vector<std::u16string> catalog_columns = s.columns, expressions(s.columns.size());
  std::string keys;
  std::int64_t hidden = static_cast<std::int64_t>(table->columns.size()) +
                        count("SELECT count(*) FROM ociemu_ind_expressions WHERE TABLE_NAME = '" +
                              to_utf8(table->name) + "'");
  for (std::size_t i = 0; i < s.columns.size(); ++i) {
    const std::u16string function = i < s.functions.size() ? s.functions[i] : u"";
    const bool descending = i < s.descending.size() && s.descending[i];
    keys += (i ? ", " : "") + (function.empty() ? quote(s.columns[i]) : to_utf8(function) + "(" + quote(s.columns[i]) + ")") +
            (descending ? " DESC" : "");
    if (!is_expression(i)) continue;
    char name[32];
    std::snprintf(name, sizeof name, "SYS_NC%05lld$", static_cast<long long>(++hidden));
    catalog_columns[i] = to_utf16(name);
    expressions[i] = expression_of(s, i);
  }
  try {
    db_.exec(std::string("CREATE ") + (s.unique ? "UNIQUE " : "") + "INDEX " +
             sqlite_index(s.name) + " ON " + quote(table->name) + " (" + keys + ")");
  } catch (const emu_sqlite_error&) {
    throw ora_error(1452);
  }
  record_index(table->name, s.name, catalog_columns, s.unique, false, s.descending);
  for (std::size_t i = 0; i < expressions.size(); ++i)
    if (!expressions[i].empty())
      exec_meta(db_, "INSERT INTO ociemu_ind_expressions VALUES (?, ?, ?, ?, ?)",
          {text(owner()), text(s.name), text(table->name), text(expressions[i]),
           integer(static_cast<std::int64_t>(i + 1))});
}

void emu_ddl_executor::drop(const emu_drop& s) {
  if (s.object_type == "TABLE") return drop_table(s);
  if (s.object_type == "INDEX") {
    if (!catalog_.index_exists(s.name)) throw ora_error(1418);
    exec_meta(db_, "DELETE FROM ociemu_indexes WHERE INDEX_NAME = ?", {text(s.name)});
    exec_meta(db_, "DELETE FROM ociemu_ind_columns WHERE INDEX_NAME = ?", {text(s.name)});
    exec_meta(db_, "DELETE FROM ociemu_ind_expressions WHERE INDEX_NAME = ?", {text(s.name)});
    db_.exec("DROP INDEX IF EXISTS " + sqlite_index(s.name));
    return;
  }
  if (s.object_type == "TRIGGER") {
    if (!count("SELECT count(*) FROM ociemu_triggers WHERE TRIGGER_NAME = '" +
               to_utf8(s.name) + "'"))
      throw ora_error(4080, {to_utf8(s.name)});
    exec_meta(db_, "DELETE FROM ociemu_triggers WHERE TRIGGER_NAME = ?", {text(s.name)});
    return;
  }
  const auto type = catalog_.object_type(s.name);
  if (!type || *type != s.object_type) throw ora_error(s.object_type == "SEQUENCE" ? 2289 : 942);
  catalog_.remove_object(s.name, s.object_type.c_str());
  if (s.object_type == "SEQUENCE") {
    exec_meta(db_, "DELETE FROM ociemu_sequences WHERE SEQUENCE_NAME = ?", {text(s.name)});
  } else {
    exec_meta(db_, "DELETE FROM ociemu_views WHERE VIEW_NAME = ?", {text(s.name)});
    db_.exec("DROP VIEW IF EXISTS " + quote(s.name));
  }
}

void emu_ddl_executor::record_segments(const emu_create_table& s) {
  auto known = [&](const std::u16string& name) {
    for (const char* builtin : {"USERS", "SYSTEM", "SYSAUX"})
      if (name == u16(builtin)) return true;
    return count("SELECT count(*) FROM ociemu_tablespaces WHERE NAME = '" + to_utf8(name) + "'") != 0;
  };
  for (const auto& [column, tablespace] : s.segments) {
    if (!known(tablespace)) throw ora_error(959, {to_utf8(tablespace)});
    if (!column.empty() && !std::any_of(s.columns.begin(), s.columns.end(),
                                        [&](const emu_column_spec& c) { return c.name == column; }))
      throw ora_error(904, {"\"" + to_utf8(column) + "\""});
    exec_meta(db_, "INSERT INTO ociemu_segments VALUES (?, ?, ?, ?)",
              {text(owner()), text(s.name), column.empty() ? emu_cell{} : text(column), text(tablespace)});
  }
}

void emu_ddl_executor::drop_table(const emu_drop& s) {
  const auto table = catalog_.table(s.name);
  require(table->owner, true, "DROP ANY TABLE");
  drop_constraints_of(table->name, s.cascade_constraints);
  for (const char* meta : {"ociemu_tab_columns", "ociemu_cons_columns", "ociemu_ind_columns", "ociemu_ind_expressions",
                           "ociemu_indexes", "ociemu_triggers", "ociemu_constraints", "ociemu_segments"})
    exec_meta(db_, std::string("DELETE FROM ") + meta + " WHERE TABLE_NAME = ?", {text(table->name)});
  catalog_.remove_object(table->name, "TABLE");
  db_.exec("DROP TABLE " + quote(table->name));
}

// Foreign keys of other tables that point at this table's keys: ORA-02449 unless CASCADE
// CONSTRAINTS drops them too.
void emu_ddl_executor::drop_constraints_of(const std::u16string& table, bool cascade) {
  const std::string where =
      " FROM ociemu_constraints WHERE CONSTRAINT_TYPE = 'R' AND TABLE_NAME <> '" + to_utf8(table) +
      "' AND R_CONSTRAINT_NAME IN (SELECT CONSTRAINT_NAME FROM ociemu_constraints "
      "WHERE TABLE_NAME = '" + to_utf8(table) + "')";
  if (count("SELECT count(*)" + where) == 0) return;
  if (!cascade) throw ora_error(2449);
  db_.exec("DELETE FROM ociemu_cons_columns WHERE CONSTRAINT_NAME IN (SELECT CONSTRAINT_NAME" + where + ")");
  db_.exec("DELETE" + where);
}

void emu_ddl_executor::alter_table(const emu_alter_table& s) {
  const auto table = catalog_.table(s.table);
  require(table->owner, true, "ALTER ANY TABLE");
  switch (s.what) {
    case emu_alter_table::action::add_constraint: return add_key(table->name, s.key);
    case emu_alter_table::action::drop_constraint: return drop_constraint(*table, s.constraint_name);
    case emu_alter_table::action::modify_columns:
      for (const auto& c : s.columns) modify_column(*catalog_.table(s.table), c);
      return;
    case emu_alter_table::action::add_columns: break;
  }
  check_new_columns(s.columns, table.get());
  const bool empty = count("SELECT count(*) FROM " + quote(table->name)) == 0;
  int id = static_cast<int>(table->columns.size());
  for (const auto& c : s.columns) {
    if (c.not_null.value_or(false) && !c.default_text && !empty) throw ora_error(1758);
    add_column(table->name, c, ++id);
    db_.exec("ALTER TABLE " + quote(table->name) + " ADD COLUMN " + quote(c.name));
    if (c.default_text && !empty) {
      const emu_cell cell = emu_value_converter::to_cell(
          emu_evaluator::evaluate_default(connection_, *c.default_text), resolved(*c.type),
          {owner(), to_utf8(table->name), to_utf8(c.name), connection_.settings().single_byte()});
      exec_meta(db_, "UPDATE " + quote(table->name) + " SET " + quote(c.name) + " = ?", {cell});
    }
  }
}

void emu_ddl_executor::modify_column(const emu_table_def& table, const emu_column_spec& change) {
  const int position = table.find_column(change.name);
  if (position < 0) throw ora_error(904, {quote(change.name)});
  const emu_column_def& current = table.columns[static_cast<std::size_t>(position)];
  const std::string column = quote(change.name), from = " FROM " + quote(table.name);
  const std::optional<emu_column_type> type =
      change.type ? std::optional<emu_column_type>(resolved(*change.type)) : std::nullopt;
  if (type && type->declaration() != current.type.declaration()) {
    const bool has_data = count("SELECT count(*)" + from + " WHERE " + column + " IS NOT NULL") > 0;
    if (has_data && type->kind != current.type.kind) throw ora_error(1439);
    if (has_data && type->is_text() &&
        count("SELECT count(*)" + from + " WHERE length(" + column + ") > " + std::to_string(type->length)))
      throw ora_error(1441);
    const emu_column_type& t = *type;
    const char* used = t.char_used();
    exec_meta(db_, "UPDATE ociemu_tab_columns SET TYPE_DECL = ?, DATA_TYPE = ?, DATA_LENGTH = ?, "
             "DATA_PRECISION = ?, DATA_SCALE = ?, CHAR_LENGTH = ?, CHAR_USED = ? "
             "WHERE TABLE_NAME = ? AND COLUMN_NAME = ?",
        {text(t.declaration()), text(t.catalog_name()), integer(t.catalog_length()),
         optional_integer(t.catalog_precision()), optional_integer(t.catalog_scale()),
         integer(t.char_length()), used ? text(std::string(used)) : emu_cell{}, text(table.name),
         text(change.name)});
  }
  if (change.default_text)
    exec_meta(db_, "UPDATE ociemu_tab_columns SET DATA_DEFAULT = ?, DEFAULT_LENGTH = ? "
             "WHERE TABLE_NAME = ? AND COLUMN_NAME = ?",
        {text(*change.default_text), integer(static_cast<std::int64_t>(change.default_text->size())),
         text(table.name), text(change.name)});
  if (!change.not_null) return;
  if (*change.not_null) {
    if (!current.nullable) throw ora_error(1442);
    if (count("SELECT count(*)" + from + " WHERE " + column + " IS NULL"))
      throw ora_error(2296, {owner() + "." + to_utf8(catalog_.generated_name())});
  } else if (current.nullable) {
    throw ora_error(1451);
  }
  set_nullable(table.name, change.name, !*change.not_null);
}

void emu_ddl_executor::drop_constraint(const emu_table_def& table, const std::u16string& name) {
  if (!count("SELECT count(*) FROM ociemu_constraints WHERE CONSTRAINT_NAME = '" +
             to_utf8(name) + "' AND TABLE_NAME = '" + to_utf8(table.name) + "'"))
    throw ora_error(2443);
  exec_meta(db_, "DELETE FROM ociemu_constraints WHERE CONSTRAINT_NAME = ?", {text(name)});
  exec_meta(db_, "DELETE FROM ociemu_cons_columns WHERE CONSTRAINT_NAME = ?", {text(name)});
  exec_meta(db_, "DELETE FROM ociemu_indexes WHERE INDEX_NAME = ? AND GENERATED = 'Y'", {text(name)});
  exec_meta(db_, "DELETE FROM ociemu_ind_columns WHERE INDEX_NAME = ? AND INDEX_NAME NOT IN "
           "(SELECT INDEX_NAME FROM ociemu_indexes)", {text(name)});
  if (!catalog_.index_exists(name)) db_.exec("DROP INDEX IF EXISTS " + sqlite_index(name));
}

void emu_ddl_executor::set_nullable(const std::u16string& table, const std::u16string& column,
                                    bool nullable) {
  exec_meta(db_, "UPDATE ociemu_tab_columns SET NULLABLE = ? WHERE TABLE_NAME = ? AND COLUMN_NAME = ?",
      {text(std::string(nullable ? "Y" : "N")), text(table), text(column)});
}

void emu_ddl_executor::create_sequence(const emu_create_sequence& s) {
  require(owner_, connection_.user().create_sequence, "CREATE ANY SEQUENCE");
  check_name_free(s.name);
  catalog_.add_object(connection_.user().name, s.name, "SEQUENCE");
  auto number = [](const std::string& t) {
    return emu_value_converter::number_cell(emu_value_converter::to_number(emu_value::of_text(to_utf16(t))));
  };
  exec_meta(db_, "INSERT INTO ociemu_sequences VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
      {text(owner()), text(s.name), number(s.min_value), number(s.max_value),
       number(s.increment), text(std::string(s.cycle ? "Y" : "N")),
       text(std::string(s.order ? "Y" : "N")), integer(s.cache), number(s.start)});
}

std::optional<emu_error> emu_ddl_executor::create_trigger(const emu_create_trigger& s) {
  const auto table = catalog_.table(s.table);
  require(table->owner, connection_.user().create_trigger, "CREATE ANY TRIGGER");
  exec_meta(db_, "DELETE FROM ociemu_triggers WHERE TRIGGER_NAME = ?", {text(s.name)});
  // A server compiles the body: the column must exist and take the NUMBER that
  // NEXTVAL gives (PLS-00385 / ORA-00932 for a date or binary column).
  const int column = table->find_column(s.column);
  const bool takes_number = column >= 0 && !table->columns[column].type.is_datetime() &&
                            !table->columns[column].type.is_binary();
  const bool valid = s.valid && takes_number &&
                     catalog_.object_type(s.sequence) == std::optional<std::string>("SEQUENCE");
  exec_meta(db_, "INSERT INTO ociemu_triggers VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
      {text(owner()), text(s.name), text(table->name), text(s.column), text(s.sequence),
       integer(s.when_null), text(std::string(valid ? "ENABLED" : "INVALID")), text(s.body)});
  if (valid) return std::nullopt;
  return ora_error(24344);
}

void emu_ddl_executor::create_view(const emu_create_view& s) {
  require(owner_, true, "CREATE ANY VIEW");
  const auto type = catalog_.object_type(s.name);
  if (type && !(s.replace && *type == "VIEW")) throw ora_error(955);
  const auto rewritten = emu_sql_rewriter::rewrite(tokenize(s.select_text));
  if (type) {
    catalog_.remove_object(s.name, "VIEW");
    exec_meta(db_, "DELETE FROM ociemu_views WHERE VIEW_NAME = ?", {text(s.name)});
    db_.exec("DROP VIEW IF EXISTS " + quote(s.name));
  }
  try {
    db_.exec("CREATE VIEW " + quote(s.name) + " AS " + rewritten.sql);
  } catch (const emu_sqlite_error&) {
    throw ora_error(942);
  }
  catalog_.add_object(connection_.user().name, s.name, "VIEW");
  exec_meta(db_, "INSERT INTO ociemu_views VALUES (?, ?, ?)", {text(owner()), text(s.name), text(s.select_text)});
}

}  // namespace ociemu
