#include "emu_query.hpp"

#include <cstdlib>
#include <map>

#include "emu_connection.hpp"
#include "emu_rowid.hpp"
#include "emu_text.hpp"
#include "emu_unverified.hpp"
#include "emu_value_converter.hpp"

namespace ociemu {

namespace {

// Types of the dictionary columns behind the catalog views, as a server describes them.
const std::map<std::string, const char*>& dictionary_types() {
  static const std::map<std::string, const char*> types = {
      {"OBJECT_NAME", "VARCHAR2(128 BYTE)"}, {"TABLE_NAME", "VARCHAR2(128 BYTE)"},
      {"COLUMN_NAME", "VARCHAR2(128 BYTE)"}, {"DATA_TYPE", "VARCHAR2(128 BYTE)"},
      {"OWNER", "VARCHAR2(128 BYTE)"},       {"CONSTRAINT_NAME", "VARCHAR2(128 BYTE)"},
      {"R_OWNER", "VARCHAR2(128 BYTE)"},     {"R_CONSTRAINT_NAME", "VARCHAR2(128 BYTE)"},
      {"INDEX_NAME", "VARCHAR2(128 BYTE)"},  {"VIEW_NAME", "VARCHAR2(128 BYTE)"},
      {"SEQUENCE_NAME", "VARCHAR2(128 BYTE)"}, {"TRIGGER_NAME", "VARCHAR2(128 BYTE)"},
      {"TABLE_OWNER", "VARCHAR2(128 BYTE)"}, {"SEQUENCE_OWNER", "VARCHAR2(128 BYTE)"},
      {"DATA_LENGTH", "NUMBER"},             {"DATA_PRECISION", "NUMBER"},
      {"DATA_SCALE", "NUMBER"},              {"COLUMN_ID", "NUMBER"},
      {"DEFAULT_LENGTH", "NUMBER"},          {"CHAR_LENGTH", "NUMBER"},
      {"POSITION", "NUMBER"},                {"COLUMN_POSITION", "NUMBER"},
      {"TEXT_LENGTH", "NUMBER"},             {"MIN_VALUE", "NUMBER"},
      {"MAX_VALUE", "NUMBER"},               {"INCREMENT_BY", "NUMBER"},
      {"CACHE_SIZE", "NUMBER"},              {"LAST_NUMBER", "NUMBER"},
      {"OBJECT_ID", "NUMBER"},               {"CON_ID", "NUMBER"},
      {"DATA_DEFAULT", "LONG"},              {"TEXT", "LONG"},
      {"TRIGGER_BODY", "LONG"},              {"NULLABLE", "VARCHAR2(1 BYTE)"},
      {"CHAR_USED", "VARCHAR2(1 BYTE)"},     {"CONSTRAINT_TYPE", "VARCHAR2(1 BYTE)"},
      {"DELETE_RULE", "VARCHAR2(9 BYTE)"},   {"STATUS", "VARCHAR2(8 BYTE)"},
      {"GENERATED", "VARCHAR2(14 BYTE)"},    {"UNIQUENESS", "VARCHAR2(9 BYTE)"},
      {"CYCLE_FLAG", "VARCHAR2(1 BYTE)"},    {"ORDER_FLAG", "VARCHAR2(1 BYTE)"},
      {"TRIGGER_TYPE", "VARCHAR2(16 BYTE)"}, {"TRIGGERING_EVENT", "VARCHAR2(246 BYTE)"},
      {"OBJECT_TYPE", "VARCHAR2(23 BYTE)"},  {"TABLESPACE_NAME", "VARCHAR2(30 BYTE)"},
      {"TEMPORARY", "VARCHAR2(1 BYTE)"},     {"NESTED", "VARCHAR2(3 BYTE)"},
      {"IOT_TYPE", "VARCHAR2(12 BYTE)"},     {"INDEX_TYPE", "VARCHAR2(27 BYTE)"},
      {"TABLE_TYPE", "VARCHAR2(11 BYTE)"},   {"DESCEND", "VARCHAR2(4 BYTE)"},
      {"BANNER", "VARCHAR2(80 BYTE)"},       {"BANNER_FULL", "VARCHAR2(160 BYTE)"},
      {"BANNER_LEGACY", "VARCHAR2(80 BYTE)"}, {"DUMMY", "VARCHAR2(1 BYTE)"},
  };
  return types;
}

bool starts_with(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

emu_column_type computed_number() {
  emu_column_type t = emu_column_type::number_type();
  if (unverified::computed_number_precision != 0) t.precision = unverified::computed_number_precision;
  return t;
}

// The type of a computed select item, from the text SQLite names it by.
emu_column_type guess_type(const std::string& expression) {
  for (const char* f : {"COUNT(", "SUM(", "AVG(", "MIN(", "MAX(", "LENGTH(", "ociemu_sequence("})
    if (starts_with(expression, f)) return computed_number();
  if (!expression.empty() && (is_ascii_digit(expression[0]) || expression[0] == '-'))
    return emu_column_type::number_type();
  if (expression.size() >= 2 && expression.front() == '\'' && expression.back() == '\'') {
    emu_column_type t = emu_column_type::of(type_kind::char_, static_cast<int>(to_utf16(expression).size() - 2), false);
    if (t.length == 0) t.length = 1;
    return t;
  }
  if (starts_with(expression, "ociemu_sysdate(")) return emu_column_type::of(type_kind::date);
  return emu_column_type::of(type_kind::varchar2, 4000, false);
}

bool same_ignoring_case(const std::string& a, const char* b) {
  return equal_ignoring_case(to_utf16(a), to_utf16(b));
}

}  // namespace

emu_cell untyped_cell(const emu_value& v) {
  switch (v.kind) {
    case value_kind::number: return emu_value_converter::number_cell(v.number);
    case value_kind::real: {
      emu_cell c;
      c.kind = emu_cell::type::real;
      c.real = v.real;
      return c;
    }
    case value_kind::bytes: {
      emu_cell c;
      c.kind = emu_cell::type::blob;
      c.blob = v.bytes;
      return c;
    }
    case value_kind::datetime: {
      emu_cell c;
      c.kind = emu_cell::type::text;
      c.text = v.datetime.to_storage(v.datetime.nanosecond ? 9 : 0);
      return c;
    }
    case value_kind::text: case value_kind::rowid: {
      if (v.text.empty()) return {};
      emu_cell c;
      c.kind = emu_cell::type::text;
      c.text = to_utf8(v.text);
      return c;
    }
    default: return {};
  }
}

emu_error emu_query::translate(const emu_sqlite_error& e) {
  const std::string m = e.what();
  if (starts_with(m, "ORA-")) return emu_error(std::atoi(m.c_str() + 4), m);
  if (starts_with(m, "no such table: ") || starts_with(m, "no such view"))
    return ora_error(942);
  if (starts_with(m, "no such column: ")) {
    std::string name = m.substr(16);
    // Newer SQLite versions quote the name and add a hint about literals.
    if (const auto hint = name.find(" - should this be"); hint != std::string::npos) name.erase(hint);
    if (const auto dot = name.rfind('.'); dot != std::string::npos) name = name.substr(dot + 1);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    return ora_error(904, {"\"" + name + "\""});
  }
  if (starts_with(m, "ambiguous column name")) return ora_error(918);
  if (starts_with(m, "no such function: ")) return ora_error(904, {"\"" + m.substr(18) + "\""});
  if ((e.code() & 0xFF) == SQLITE_BUSY || (e.code() & 0xFF) == SQLITE_LOCKED) return ora_error(54);
  // A full disk is a tablespace that cannot grow. Which table was growing is
  // not known here, so the server's text names only the tablespace.
  if ((e.code() & 0xFF) == SQLITE_FULL)
    return emu_error(1653, "ORA-01653: unable to extend table in tablespace USERS (" + m + ")");
  if (m.find("syntax error") != std::string::npos || m.find("incomplete input") != std::string::npos)
    return ora_error(933);
  if (m.find("do not have the same number of result columns") != std::string::npos)
    return ora_error(1790);
  return emu_error(900, ora_message(900) + " (" + m + ")");
}

emu_query::emu_query(emu_connection& connection, const std::vector<emu_token>& tokens)
    : connection_(connection), rewritten_(emu_sql_rewriter::rewrite(tokens)) {
  connection.catalog().check_exact_names(tokens);
  prepare(rewritten_.sql);
  describe();
  add_hidden_rowids();
}

void emu_query::prepare(const std::string& sql) {
  try {
    statement_ = std::make_unique<emu_sqlite_statement>(connection_.db().handle(), sql);
  } catch (const emu_sqlite_error& e) {
    throw translate(e);
  }
}

void emu_query::describe() {
  columns_.clear();
  for (int i = 0; i < statement_->column_count(); ++i) columns_.push_back(describe_column(i));
}

emu_select_column emu_query::describe_column(int i) {
  sqlite3_stmt* s = statement_->handle();
  emu_select_column c;
  const char* name = sqlite3_column_name(s, i);
  c.name = to_utf16(name ? name : "");
  const char* table = sqlite3_column_table_name(s, i);
  const char* origin = sqlite3_column_origin_name(s, i);
  if (table && origin) {
    if (auto def = connection_.catalog().find_table(to_utf16(table))) {
      c.table = def->name;
      c.table_object_id = def->object_id;
      if (same_ignoring_case(origin, "rowid")) {
        c.type = emu_column_type::of(type_kind::rowid);
        if (equal_ignoring_case(c.name, u"ROWID")) c.name = u"ROWID";
        c.typed = true;
        c.nullable = false;
        return c;
      }
      const int position = def->find_column(to_utf16(origin));
      if (position >= 0) {
        const auto& column = def->columns[static_cast<std::size_t>(position)];
        c.type = column.type;
        c.nullable = column.nullable;
        c.column = column.name;
        c.typed = true;
        return c;
      }
    }
  }
  const auto& dictionary = dictionary_types();
  const auto found = dictionary.find(origin ? origin : (name ? name : ""));
  if (found != dictionary.end() && (origin || !table)) {
    c.type = emu_column_type::parse(to_utf16(found->second));
    c.typed = true;
    return c;
  }
  c.type = guess_type(name ? name : "");
  return c;
}

// LOB locators need the row they come from: a single-table query gets the rowid as an extra
// column that the client never sees.
void emu_query::add_hidden_rowids() {
  bool needs = false;
  for (const auto& c : columns_) needs = needs || (c.type.is_lob() && !c.table.empty());
  if (!needs || rewritten_.select_list_end == std::string::npos) return;
  const std::string sql = rewritten_.sql.substr(0, rewritten_.select_list_end) + " , ROWID " +
                          rewritten_.sql.substr(rewritten_.select_list_end);
  std::unique_ptr<emu_sqlite_statement> extended;
  try {
    extended = std::make_unique<emu_sqlite_statement>(connection_.db().handle(), sql);
  } catch (const emu_sqlite_error&) {
    return;  // a join: the locators carry the values read
  }
  statement_ = std::move(extended);
  const int hidden = static_cast<int>(columns_.size());
  for (auto& c : columns_)
    if (c.type.is_lob()) c.rowid_column = hidden;
}

void emu_query::open(emu_bind_source& binds) {
  statement_->reset();
  for (std::size_t i = 0; i < rewritten_.params.size(); ++i)
    statement_->bind(static_cast<int>(i + 1), untyped_cell(binds.value(rewritten_.params[i], i)));
  has_row_ = false;
}

bool emu_query::next() {
  try {
    has_row_ = statement_->step();
  } catch (const emu_sqlite_error& e) {
    throw translate(e);
  }
  return has_row_;
}

emu_value emu_query::value(std::size_t column) const {
  const emu_select_column& c = columns_.at(column);
  const emu_cell cell = statement_->column(static_cast<int>(column));
  if (c.type.kind == type_kind::rowid && cell.kind == emu_cell::type::integer) {
    emu_value v;
    v.kind = value_kind::rowid;
    v.text = u16(emu_rowid{c.table_object_id, cell.integer}.to_text());
    return v;
  }
  return c.typed ? emu_value_converter::from_cell(cell, c.type) : emu_value_converter::from_untyped_cell(cell);
}

std::int64_t emu_query::row_of(std::size_t column) const {
  const int hidden = columns_.at(column).rowid_column;
  return hidden < 0 ? -1 : statement_->column_int(hidden);
}

}  // namespace ociemu
