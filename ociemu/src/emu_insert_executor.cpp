#include "emu_insert_executor.hpp"

#include <algorithm>

#include "emu_connection.hpp"
#include "emu_error.hpp"
#include "emu_rowid.hpp"
#include "emu_text.hpp"
#include "emu_value_converter.hpp"

namespace ociemu {

namespace {

std::string quote(const std::u16string& name) { return "\"" + to_utf8(name) + "\""; }

// "UNIQUE constraint failed: T.A, T.B" -> {A, B}
std::vector<std::u16string> failed_columns(const std::string& message) {
  std::vector<std::u16string> columns;
  auto colon = message.find(": ");
  if (colon == std::string::npos) return columns;
  std::string rest = message.substr(colon + 2);
  std::size_t start = 0;
  while (start < rest.size()) {
    auto comma = rest.find(", ", start);
    std::string item = rest.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    const auto dot = item.find('.');
    columns.push_back(to_utf16(dot == std::string::npos ? item : item.substr(dot + 1)));
    if (comma == std::string::npos) break;
    start = comma + 2;
  }
  return columns;
}

std::size_t count_params(const emu_expr& e) {
  std::size_t n = e.k == emu_expr::kind::param;
  for (const auto& a : e.args) n += count_params(a);
  return n;
}

// Oracle's longest VARCHAR2 and RAW value with MAX_STRING_SIZE = STANDARD.
constexpr std::size_t standard_string_bytes = 4000;

bool same_columns(std::vector<std::u16string> a, std::vector<std::u16string> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

}  // namespace

emu_insert_executor::emu_insert_executor(emu_connection& connection, const emu_insert& statement)
    : connection_(connection), statement_(statement) {
  table_ = connection.catalog().table(statement.table);
  const auto& columns = table_->columns;
  value_of_column_.assign(columns.size(), -1);
  if (statement.columns.empty()) {
    if (statement.values.size() < columns.size()) throw ora_error(947);
    if (statement.values.size() > columns.size()) throw ora_error(913);
    for (std::size_t i = 0; i < columns.size(); ++i) value_of_column_[i] = static_cast<int>(i);
  } else {
    for (std::size_t v = 0; v < statement.columns.size(); ++v) {
      const int position = table_->find_column(statement.columns[v]);
      if (position < 0) throw ora_error(904, {quote(statement.columns[v])});
      if (value_of_column_[position] >= 0) throw ora_error(957);
      value_of_column_[position] = static_cast<int>(v);
    }
    if (statement.values.size() < statement.columns.size()) throw ora_error(947);
    if (statement.values.size() > statement.columns.size()) throw ora_error(913);
  }
  sql_ = "INSERT INTO " + quote(table_->name) + " VALUES (";
  for (std::size_t i = 0; i < columns.size(); ++i) sql_ += i == 0 ? "?" : ", ?";
  sql_ += ")";
}

std::vector<emu_value> emu_insert_executor::run(emu_bind_source& binds) {
  std::vector<emu_value> values = row_values(binds);
  apply_triggers(values);
  const std::vector<emu_cell> row = cells(values);
  last_row_ = store(row);
  return returning(last_row_, row);
}

std::vector<emu_insert_executor::bound_column> emu_insert_executor::bound_columns() const {
  std::vector<int> column_of_value(statement_.values.size(), -1);
  for (std::size_t c = 0; c < value_of_column_.size(); ++c)
    if (value_of_column_[c] >= 0) column_of_value[static_cast<std::size_t>(value_of_column_[c])] = static_cast<int>(c);
  std::vector<bound_column> out;
  std::size_t occurrence = 0;
  for (std::size_t v = 0; v < statement_.values.size(); ++v) {
    const emu_expr& e = statement_.values[v];
    if (e.k == emu_expr::kind::param && column_of_value[v] >= 0)
      out.push_back({e.text, occurrence, &table_->columns[static_cast<std::size_t>(column_of_value[v])].type});
    occurrence += count_params(e);
  }
  return out;
}

// Oracle Database Error Messages, ORA-01461 and OCI-14699: a bind value larger than 4000
// bytes for insert of a VARCHAR2, NVARCHAR2 or RAW column is refused as such, whatever the
// column's own size. The bytes are those the value takes on the server.
void emu_insert_executor::check_bound_length(const emu_value& value, const emu_column_def& column) const {
  const type_kind kind = column.type.kind;
  if (!value.bound || (kind != type_kind::varchar2 && kind != type_kind::nvarchar2 && kind != type_kind::raw))
    return;
  std::size_t bytes = 0;
  if (value.kind == value_kind::bytes) bytes = value.bytes.size();
  else if (value.kind != value_kind::text) return;
  else if (column.type.is_national()) bytes = value.text.size() * 2;  // AL16UTF16
  else if (kind == type_kind::raw) bytes = value.text.size() / 2;    // hexadecimal digits
  else bytes = connection_.settings().encoded_length(value.text);
  if (bytes > standard_string_bytes) throw ora_error(1461);
}

std::optional<emu_lob_source> emu_insert_executor::returned_lob(std::size_t item) const {
  const emu_expr& e = statement_.returning.at(item);
  const int position = table_->find_column(e.text);
  if (position < 0 || !table_->columns[static_cast<std::size_t>(position)].type.is_lob()) return std::nullopt;
  emu_lob_source source;
  source.kind = table_->columns[static_cast<std::size_t>(position)].type.kind;
  source.table = table_->name;
  source.column = table_->columns[static_cast<std::size_t>(position)].name;
  source.row = last_row_;
  source.locked = true;
  return source;
}

std::u16string emu_insert_executor::last_rowid() const {
  return u16(emu_rowid{table_->object_id, last_row_}.to_text());
}

std::vector<emu_value> emu_insert_executor::row_values(emu_bind_source& binds) {
  emu_evaluator evaluator(connection_, &binds);
  std::vector<emu_value> given;
  for (const auto& e : statement_.values) given.push_back(evaluator.evaluate(e));
  std::vector<emu_value> values(table_->columns.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto& column = table_->columns[i];
    if (value_of_column_[i] >= 0) values[i] = given[static_cast<std::size_t>(value_of_column_[i])];
    else if (column.default_text) values[i] = emu_evaluator::evaluate_default(connection_, *column.default_text);
  }
  return values;
}

void emu_insert_executor::apply_triggers(std::vector<emu_value>& values) {
  for (const auto& trigger : table_->triggers) {
    if (!trigger.valid)
      throw ora_error(4098, {to_utf8(table_->owner) + "." + to_utf8(trigger.name)});
    const int position = table_->find_column(trigger.column);
    if (position < 0) continue;
    if (!trigger.when_null || values[static_cast<std::size_t>(position)].is_null())
      values[static_cast<std::size_t>(position)] =
          emu_value::of_number(connection_.next_value(trigger.sequence));
  }
}

std::vector<emu_cell> emu_insert_executor::cells(const std::vector<emu_value>& values) const {
  std::vector<emu_cell> row;
  const std::string owner = to_utf8(table_->owner), table = to_utf8(table_->name);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto& column = table_->columns[i];
    check_bound_length(values[i], column);
    const emu_column_ref ref{owner, table, to_utf8(column.name), connection_.settings().single_byte()};
    emu_cell cell = emu_value_converter::to_cell(in_column_charset(values[i], column.type), column.type, ref);
    if (cell.kind == emu_cell::type::null && !column.nullable)
      throw ora_error(1400, {quoted_path(ref.owner, ref.table, ref.column)});
    row.push_back(std::move(cell));
  }
  return row;
}

// VARCHAR2, CHAR, CLOB and LONG hold the database character set: a letter it lacks becomes
// "?" without an error. The national types keep every letter.
emu_value emu_insert_executor::in_column_charset(const emu_value& value, const emu_column_type& type) const {
  const bool database_set = type.kind == type_kind::varchar2 || type.kind == type_kind::char_ ||
                            type.kind == type_kind::clob || type.kind == type_kind::long_;
  if (!database_set || value.kind != value_kind::text) return value;
  return emu_value::of_text(connection_.settings().stored(value.text));
}

std::int64_t emu_insert_executor::store(const std::vector<emu_cell>& row) {
  auto& s = connection_.db().cached(sql_);
  for (std::size_t i = 0; i < row.size(); ++i) s.bind(static_cast<int>(i + 1), row[i]);
  try {
    s.step();
  } catch (const emu_sqlite_error& e) {
    if ((e.code() & 0xFF) == SQLITE_CONSTRAINT) unique_violation(e.what());
    throw;
  }
  s.reset();
  return connection_.db().last_rowid();
}

void emu_insert_executor::unique_violation(const std::string& sqlite_message) const {
  const auto columns = failed_columns(sqlite_message);
  for (const auto& key : table_->keys)
    if (same_columns(key.columns, columns))
      throw ora_error(1, {to_utf8(table_->owner) + "." + to_utf8(key.name)});
  throw ora_error(1, {to_utf8(table_->owner) + ".UNKNOWN"});
}

std::vector<emu_value> emu_insert_executor::returning(std::int64_t row,
                                                      const std::vector<emu_cell>& cells) const {
  std::vector<emu_value> out;
  for (const auto& e : statement_.returning) {
    if (e.k == emu_expr::kind::call && e.text == u"ROWID" && e.args.empty()) {
      emu_value v;
      v.kind = value_kind::rowid;
      v.text = u16(emu_rowid{table_->object_id, row}.to_text());
      out.push_back(v);
      continue;
    }
    const int position = table_->find_column(e.text);
    if ((e.k != emu_expr::kind::call && e.k != emu_expr::kind::column) || position < 0)
      throw ora_error(904, {quote(e.text)});
    out.push_back(emu_value_converter::from_cell(cells[static_cast<std::size_t>(position)],
                                                 table_->columns[static_cast<std::size_t>(position)].type));
  }
  return out;
}

}  // namespace ociemu
