#include "emu_merge_executor.hpp"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "emu_connection.hpp"
#include "emu_error.hpp"
#include "emu_parser.hpp"
#include "emu_sql_rewriter.hpp"
#include "emu_text.hpp"
#include "emu_token_cursor.hpp"
#include "emu_value_converter.hpp"

namespace ociemu {

namespace {

std::string quote(const std::u16string& name) { return "\"" + to_utf8(name) + "\""; }

const std::u16string no_text;

// The statement's binds of one iteration, each read from the client once however many
// source rows use it.
class iteration_values : public emu_bind_source {
 public:
  explicit iteration_values(emu_bind_source& binds) : binds_(binds) {}
  emu_value value(const std::u16string& name, std::size_t occurrence) override {
    const auto key = std::make_pair(name, occurrence);
    auto found = values_.find(key);
    if (found == values_.end()) found = values_.emplace(key, binds_.value(name, occurrence)).first;
    return found->second;
  }

 private:
  emu_bind_source& binds_;
  std::map<std::pair<std::u16string, std::size_t>, emu_value> values_;
};

// The values of the emulation's placeholders for one source row (and, in SET, one target row).
class row_values : public emu_bind_source {
 public:
  row_values(emu_bind_source& statement, const emu_merge_names& names, const std::vector<emu_value>* source,
             std::function<std::vector<emu_value>()> target = nullptr)
      : statement_(statement), names_(names), source_(source), load_target_(std::move(target)) {}

  emu_value value(const std::u16string& name, std::size_t) override {
    const emu_merge_ref ref = emu_merge_names::decode(name);
    switch (ref.k) {
      case emu_merge_ref::kind::statement_bind: {
        const auto& [bind, occurrence] = names_.bind(ref.index);
        return statement_.value(bind, occurrence);
      }
      case emu_merge_ref::kind::source_column: return source_->at(ref.index);
      case emu_merge_ref::kind::target_column:
        if (!target_) target_ = load_target_();
        return target_->at(ref.index);
    }
    throw ora_error(1008);
  }

 private:
  emu_bind_source& statement_;
  const emu_merge_names& names_;
  const std::vector<emu_value>* source_;
  std::function<std::vector<emu_value>()> load_target_;
  std::optional<std::vector<emu_value>> target_;
};

// Leaves a cached statement ready for its next use whatever happened to this one.
struct reset_after {
  emu_sqlite_statement& statement;
  ~reset_after() { statement.reset(); }
};

emu_token made_token(token_kind kind, const char* text) {
  emu_token t;
  t.kind = kind;
  t.text = u16(text);
  return t;
}

// What the evaluator computes the way a server does; anything else in a select list goes
// to SQLite.
bool evaluable(const emu_expr& e) {
  if (e.k == emu_expr::kind::column) return false;
  if (e.k == emu_expr::kind::call) {
    static const char16_t* const known[] = {u"TO_DATE", u"TO_TIMESTAMP", u"ANSI_DATE", u"ANSI_TIMESTAMP",
                                            u"HEXTORAW", u"UNISTR", u"TO_NUMBER", u"TO_CHAR", u"NVL",
                                            u"EMPTY_CLOB", u"EMPTY_BLOB", u"SYSDATE", u"SYSTIMESTAMP", u"USER"};
    if (std::none_of(std::begin(known), std::end(known), [&](const char16_t* f) { return e.text == f; }))
      return false;
  }
  return std::all_of(e.args.begin(), e.args.end(), evaluable);
}

// "UNIQUE constraint failed: T.A, T.B" -> {A, B}, sorted.
std::vector<std::u16string> failed_columns(const std::string& message) {
  std::vector<std::u16string> columns;
  const auto colon = message.find(": ");
  if (colon == std::string::npos) return columns;
  const std::string rest = message.substr(colon + 2);
  for (std::size_t start = 0; start < rest.size();) {
    const auto comma = rest.find(", ", start);
    const std::string item = rest.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    const auto dot = item.find('.');
    columns.push_back(to_utf16(dot == std::string::npos ? item : item.substr(dot + 1)));
    if (comma == std::string::npos) break;
    start = comma + 2;
  }
  std::sort(columns.begin(), columns.end());
  return columns;
}

// Oracle's longest VARCHAR2 and RAW value with MAX_STRING_SIZE = STANDARD.
constexpr std::size_t standard_string_bytes = 4000;

}  // namespace

emu_merge_executor::emu_merge_executor(emu_connection& connection, const emu_merge& statement,
                                       const std::vector<emu_token>& tokens)
    : connection_(connection), statement_(statement),
      table_(connection.catalog().table(statement.table)), names_(statement, tokens, table_) {
  prepare_source();
  on_ = compile(statement.on, merge_clause::on, "SELECT rowid FROM " + quote(table_->name) + " WHERE ");
  if (statement.update) prepare_update();
  if (statement.insert) prepare_insert();
}

emu_merge_executor::~emu_merge_executor() = default;

void emu_merge_executor::prepare_source() {
  if (statement_.source_query.empty()) {
    source_tokens_ = {made_token(token_kind::word, "SELECT"), made_token(token_kind::symbol, "*"),
                      made_token(token_kind::word, "FROM"), made_token(token_kind::quoted, "")};
    source_tokens_.back().text = statement_.source_table;
    source_tokens_.emplace_back();
  } else {
    source_tokens_ = names_.clause(statement_.source_query, merge_clause::source);
  }
  if (select_from_dual(source_tokens_)) return;
  source_query_ = std::make_unique<emu_query>(connection_, source_tokens_);
  std::vector<std::u16string> columns;
  for (const auto& c : source_query_->columns()) columns.push_back(c.name);
  names_.set_source_columns(std::move(columns));
}

// SELECT expr [[AS] alias], ... FROM DUAL, the source a client binds one row into: its values
// keep their types (a date stays a date) instead of passing through SQLite.
bool emu_merge_executor::select_from_dual(const std::vector<emu_token>& source) {
  std::vector<emu_expr> list;
  std::vector<std::u16string> columns;
  try {
    emu_token_cursor c(no_text, source);
    emu_parser parser(c);
    c.expect_word("SELECT", 928);
    do {
      emu_expr e = parser.expression();
      if (!evaluable(e)) return false;
      std::u16string name;
      if (c.accept_word("AS") || (c.peek().is_identifier() && !c.peek().is_word("FROM"))) name = c.identifier();
      list.push_back(std::move(e));
      columns.push_back(name);
    } while (c.accept_symbol(","));
    c.expect_word("FROM", 923);
    c.expect_word("DUAL", 933);
    c.expect_end();
  } catch (const emu_error&) {
    return false;
  }
  select_list_ = std::move(list);
  names_.set_source_columns(std::move(columns));
  return true;
}

std::optional<emu_merge_executor::condition> emu_merge_executor::compile(emu_token_span span, merge_clause where,
                                                                         const std::string& head) {
  if (span.empty()) return std::nullopt;
  const emu_rewritten_sql rewritten = emu_sql_rewriter::rewrite(names_.clause(span, where));
  condition c;
  try {
    c.sql = std::make_unique<emu_sqlite_statement>(connection_.db().handle(), head + "(" + rewritten.sql + ")");
  } catch (const emu_sqlite_error& e) {
    throw emu_query::translate(e);
  }
  c.params = rewritten.params;
  return c;
}

emu_expr emu_merge_executor::expression(emu_token_span span, merge_clause where) {
  emu_token_cursor c(no_text, names_.clause(span, where));
  emu_expr e = emu_parser(c).expression();
  c.expect_end();
  return e;
}

void emu_merge_executor::prepare_update() {
  names_.check_set_columns();
  std::string sql = "UPDATE " + quote(table_->name) + " SET ";
  for (const auto& a : statement_.set) {
    const auto column = static_cast<std::size_t>(table_->find_column(a.column));
    set_.emplace_back(column, expression(a.value, merge_clause::set_value));
    sql += (set_.size() > 1 ? ", " : "") + quote(table_->columns[column].name) + " = ?";
  }
  try {
    update_sql_ = std::make_unique<emu_sqlite_statement>(connection_.db().handle(), sql + " WHERE rowid = ?");
    read_sql_ = std::make_unique<emu_sqlite_statement>(connection_.db().handle(),
                                                       "SELECT * FROM " + quote(table_->name) + " WHERE rowid = ?");
  } catch (const emu_sqlite_error& e) {
    throw emu_query::translate(e);
  }
  const std::string by_rowid = " WHERE rowid = ? AND ";
  update_where_ = compile(statement_.update_where, merge_clause::update_where,
                          "SELECT 1 FROM " + quote(table_->name) + by_rowid);
  delete_where_ = compile(statement_.delete_where, merge_clause::delete_where,
                          "DELETE FROM " + quote(table_->name) + by_rowid);
}

void emu_merge_executor::prepare_insert() {
  insert_.table = table_->name;
  insert_.columns = statement_.insert_columns;
  for (const auto& span : statement_.insert_values) insert_.values.push_back(expression(span, merge_clause::insert_value));
  inserter_ = std::make_unique<emu_insert_executor>(connection_, insert_);
  insert_where_ = compile(statement_.insert_where, merge_clause::insert_where, "SELECT 1 WHERE ");
}

std::uint64_t emu_merge_executor::run(emu_bind_source& binds) {
  emu_sqlite& db = connection_.db();
  db.exec("SAVEPOINT ociemu_merge");
  std::uint64_t merged = 0;
  try {
    merged = merge(binds);
  } catch (...) {
    try {
      db.exec("ROLLBACK TO ociemu_merge");
      db.exec("RELEASE ociemu_merge");
    } catch (const emu_sqlite_error&) {
      // SQLite already rolled the whole transaction back (a full disk).
    }
    throw;
  }
  db.exec("RELEASE ociemu_merge");
  return merged;
}

// Oracle Database SQL Language Reference, MERGE: the statement is deterministic, "you cannot
// update the same row of the target table multiple times in the same MERGE statement"
// (ORA-30926). The rows are joined before any is changed, so a row this statement inserts
// is never matched by a later source row of the same execution.
std::uint64_t emu_merge_executor::merge(emu_bind_source& binds) {
  iteration_values statement_binds(binds);
  const auto rows = source_rows(statement_binds);
  std::vector<std::vector<std::int64_t>> matched;
  std::set<std::int64_t> updated;
  for (const auto& row : rows) {
    row_values values(statement_binds, names_, &row);
    matched.push_back(matches(values));
    if (statement_.update)
      for (std::int64_t rowid : matched.back())
        if (!updated.insert(rowid).second) throw ora_error(30926);
  }
  std::uint64_t merged = 0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    row_values values(statement_binds, names_, &rows[r]);
    if (matched[r].empty()) {
      if (!statement_.insert || (insert_where_ && !holds(*insert_where_, values, std::nullopt))) continue;
      inserter_->run(values);
      ++merged;
      continue;
    }
    if (!statement_.update) continue;
    for (std::int64_t rowid : matched[r]) {
      row_values with_target(statement_binds, names_, &rows[r], [this, rowid] { return target_row(rowid); });
      if (update_where_ && !holds(*update_where_, with_target, rowid)) continue;
      update(rowid, with_target);
      ++merged;
      // The DELETE condition reads the row as updated.
      if (delete_where_) holds(*delete_where_, values, rowid);
    }
  }
  return merged;
}

std::vector<std::vector<emu_value>> emu_merge_executor::source_rows(emu_bind_source& binds) {
  row_values values(binds, names_, nullptr);
  std::vector<std::vector<emu_value>> rows;
  if (select_list_) {
    emu_evaluator evaluator(connection_, &values);
    std::vector<emu_value> row;
    for (const auto& e : *select_list_) {
      row.push_back(evaluator.evaluate(e));
      check_select_item(row.back());
    }
    rows.push_back(std::move(row));
    return rows;
  }
  source_query_->open(values);
  while (source_query_->next()) {
    std::vector<emu_value> row;
    for (std::size_t i = 0; i < source_query_->columns().size(); ++i) row.push_back(source_query_->value(i));
    rows.push_back(std::move(row));
  }
  return rows;
}

// A bind in a select list is a VARCHAR2 or RAW of at most 4000 bytes, whatever column it
// ends in: Oracle refuses a longer one with ORA-01461 even when it goes to a CLOB (My Oracle
// Support note 1620109.1, "ORA-01461 With MERGE INTO Statement And Clob Column"). A LOB's
// data is bound in SET or VALUES instead, as for UPDATE and INSERT.
void emu_merge_executor::check_select_item(const emu_value& value) const {
  if (!value.bound) return;
  std::size_t bytes = 0;
  if (value.kind == value_kind::bytes) bytes = value.bytes.size();
  else if (value.kind == value_kind::text) bytes = connection_.settings().encoded_length(value.text);
  if (bytes > standard_string_bytes) throw ora_error(1461);
}

std::vector<std::int64_t> emu_merge_executor::matches(emu_bind_source& row) {
  emu_sqlite_statement& s = *on_->sql;
  reset_after reset{s};
  for (std::size_t p = 0; p < on_->params.size(); ++p) s.bind(static_cast<int>(p + 1), param_cell(on_->params[p], row));
  std::vector<std::int64_t> rowids;
  while (s.step()) rowids.push_back(s.column_int(0));
  return rowids;
}

bool emu_merge_executor::holds(condition& c, emu_bind_source& row, std::optional<std::int64_t> rowid) {
  emu_sqlite_statement& s = *c.sql;
  reset_after reset{s};
  int index = 1;
  if (rowid) s.bind_int(index++, *rowid);
  for (const auto& name : c.params) s.bind(index++, param_cell(name, row));
  return s.step();
}

// A source value compared with a target column takes that column's type, as Oracle's
// implicit conversion does: text compared with a NUMBER column is read as a number
// (ORA-01722 when it is none), a value compared with a DATE as a date.
emu_cell emu_merge_executor::param_cell(const std::u16string& name, emu_bind_source& row) const {
  const emu_value value = row.value(name, 0);
  const emu_merge_ref ref = emu_merge_names::decode(name);
  if (ref.compared_with < 0 || value.is_null()) return untyped_cell(value);
  const emu_column_def& column = table_->columns.at(static_cast<std::size_t>(ref.compared_with));
  const emu_column_type& type = column.type;
  if (type.is_numeric()) return emu_value_converter::number_cell(emu_value_converter::to_number(value));
  if (type.is_character_data()) return untyped_cell(emu_value::of_text(emu_value_converter::to_text(value)));
  if (type.is_binary()) return untyped_cell(emu_value::of_bytes(emu_value_converter::to_bytes(value)));
  if (type.is_datetime())
    return emu_value_converter::to_cell(value, type, {to_utf8(table_->owner), to_utf8(table_->name),
                                                      to_utf8(column.name), connection_.settings().single_byte()});
  return untyped_cell(value);
}

std::vector<emu_value> emu_merge_executor::target_row(std::int64_t rowid) {
  reset_after reset{*read_sql_};
  read_sql_->bind_int(1, rowid);
  std::vector<emu_value> row;
  if (!read_sql_->step()) return row;
  for (std::size_t i = 0; i < table_->columns.size(); ++i)
    row.push_back(emu_value_converter::from_cell(read_sql_->column(static_cast<int>(i)), table_->columns[i].type));
  return row;
}

void emu_merge_executor::update(std::int64_t rowid, emu_bind_source& row) {
  emu_evaluator evaluator(connection_, &row);
  std::vector<emu_cell> cells;
  for (const auto& [column, value] : set_) cells.push_back(update_cell(evaluator.evaluate(value), table_->columns[column]));
  emu_sqlite_statement& s = *update_sql_;
  reset_after reset{s};
  for (std::size_t i = 0; i < cells.size(); ++i) s.bind(static_cast<int>(i + 1), cells[i]);
  s.bind_int(static_cast<int>(cells.size() + 1), rowid);
  try {
    s.step();
  } catch (const emu_sqlite_error& e) {
    if ((e.code() & 0xFF) == SQLITE_CONSTRAINT) unique_violation(e.what());
    throw;
  }
}

// The checks INSERT makes, with UPDATE's error for NULL in a mandatory column (ORA-01407).
// Oracle Database Error Messages, ORA-01461: a bound value of more than 4000 bytes for a
// VARCHAR2, NVARCHAR2 or RAW column is refused whatever the column's size.
emu_cell emu_merge_executor::update_cell(const emu_value& value, const emu_column_def& column) const {
  const type_kind kind = column.type.kind;
  const auto& settings = connection_.settings();
  if (value.bound && (kind == type_kind::varchar2 || kind == type_kind::nvarchar2 || kind == type_kind::raw)) {
    std::size_t bytes = 0;
    if (value.kind == value_kind::bytes) bytes = value.bytes.size();
    else if (value.kind == value_kind::text && column.type.is_national()) bytes = value.text.size() * 2;
    else if (value.kind == value_kind::text && kind == type_kind::raw) bytes = value.text.size() / 2;
    else if (value.kind == value_kind::text) bytes = settings.encoded_length(value.text);
    if (bytes > standard_string_bytes) throw ora_error(1461);
  }
  // VARCHAR2, CHAR, CLOB and LONG hold the database character set.
  const bool database_set = kind == type_kind::varchar2 || kind == type_kind::char_ || kind == type_kind::clob ||
                            kind == type_kind::long_;
  const emu_value stored = database_set && value.kind == value_kind::text
                               ? emu_value::of_text(settings.stored(value.text)) : value;
  const emu_column_ref ref{to_utf8(table_->owner), to_utf8(table_->name), to_utf8(column.name), settings.single_byte()};
  emu_cell cell = emu_value_converter::to_cell(stored, column.type, ref);
  if (cell.kind == emu_cell::type::null && !column.nullable)
    throw ora_error(1407, {quoted_path(ref.owner, ref.table, ref.column)});
  return cell;
}

void emu_merge_executor::unique_violation(const std::string& sqlite_message) const {
  const auto columns = failed_columns(sqlite_message);
  for (const auto& key : table_->keys) {
    auto key_columns = key.columns;
    std::sort(key_columns.begin(), key_columns.end());
    if (key_columns == columns) throw ora_error(1, {to_utf8(table_->owner) + "." + to_utf8(key.name)});
  }
  throw ora_error(1, {to_utf8(table_->owner) + ".UNKNOWN"});
}

}  // namespace ociemu
