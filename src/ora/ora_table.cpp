#include "ora_table.hpp"

#include <cmath>
#include <map>

#include "ole_type_exception.hpp"
#include "ora_batch_loader.hpp"
#include "ora_bulk_insert.hpp"
#include "ora_database.hpp"
#include "ora_engine.hpp"
#include "ora_field_finder.hpp"
#include "ora_cell_literal.hpp"
#include "ora_cell_writer.hpp"
#include "ora_default_value.hpp"
#include "ora_lob_insert.hpp"
#include "ora_native_type.hpp"
#include "ora_row_loader.hpp"
#include "ora_sync_writer.hpp"
#include "ora_util.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "tk_mail_assertion.hpp"
#include "tk_trim.hpp"
#include "tk_wstring.hpp"

namespace {

const char* const not_conforming = "The structure of data source does not conform to the destination table.";

// An absent or empty memo or blob: NULL in its LOB column, as a batch binds
// it (the LOB writer leaves such values alone).
bool is_empty_lob_value(const t_ftd& column, const udb_field& field) {
  if (field.get_type() == VT_NULL || field.get_type() == VT_EMPTY) return true;
  if (column.vartype == VT_BSTR) return field.to_wstring().empty();
  const std::uint8_t* bytes = nullptr;
  return !ole_variant::is_binary(field.get_type()) || field.get_bytes(&bytes) == 0;
}

}  // namespace

ora_table::ora_table(ora_database& database, const std::u16string& name_)
    : ora_query_results(database.engine(), name_, u""), database_(database), rowid_(database.engine()) {
  tk_log(2, "ora_table::ora_table(%s)", name_);
  init_schema();
  if (schema.empty()) {
    tk_log(1, "Empty table");
    return;
  }
  init_indexes();
  record_count = engine().get_records_cnt(database_.owner.empty() ? name : database_.owner + u"." + name);
  tk_log(1, "Got %d records", record_count);
}

ora_table::ora_table(ora_database& database, const std::u16string& name_, const std::u16string& query)
    : ora_query_results(database.engine(), name_, query), database_(database), rowid_(database.engine()) {
  tk_log(2, "ora_table::ora_table(%s)", name_);
  initialize(0, query);
  record_count = engine().get_records_cnt(query, true);
  tk_log(1, "Got %d records", record_count);
}

std::u16string ora_table::literal_name() const { return ora_literal_text(name); }

std::u16string ora_table::sql_name() const { return database_.sql_name(name); }

void ora_table::init_schema() {
  tk_log(2, "ora_table::init_schema");
  std::u16string select = get_safe_select_query();
  if (select.empty()) return;
  tk_log(1, "Right before extract DB structure");
  // The count follows the select text, which leaves out unsupported columns.
  initialize(0, select);
  read_column_details();
}

std::u16string ora_table::get_safe_select_query() {
  tk_log(2, "ora_table::get_safe_select_query");
  ora_query_results rows(engine(), 2,
                         u"SELECT COLUMN_NAME, DATA_TYPE FROM " + database_.dictionary(u"TAB_COLUMNS") + u" WHERE " +
                             database_.owner_condition(u"OWNER") + u"table_name = '" + literal_name() +
                             u"' ORDER BY COLUMN_ID");
  std::u16string columns;
  while (ora_record* row = rows.next_record()) {
    std::u16string column = (*row)[0].to_wstring(), type = (*row)[1].to_wstring();
    tk_log(1, "GOT field '%s' with type '%s'", column, type);
    if (!ora_native_type::is_known(type)) {
      tk_log(3, "Table '%s': column '%s' has unsupported type '%s', skip it", tk_printable_name(name),
             tk_printable_name(column), type);
      continue;
    }
    tk_log(1, "Type '%s' is found in native types", type);
    columns += (columns.empty() ? u"" : u",") + ora_quoted(column);
  }
  return columns.empty() ? columns : u"SELECT " + columns + u" FROM " + database_.sql_name(name);
}

void ora_table::read_column_details() {
  ora_query_results rows(engine(), 3,
                         u"select COLUMN_NAME, DATA_DEFAULT, DATA_TYPE from " + database_.dictionary(u"TAB_COLUMNS") +
                             u" where " + database_.owner_condition(u"OWNER") + u"table_name = '" + literal_name() +
                             u"'");
  while (ora_record* row = rows.next_record()) {
    std::u16string column = (*row)[0].to_wstring(), text = (*row)[1].to_wstring(),
                   type = (*row)[2].to_wstring();
    tk_log(1, "Got field '%s'", column);
    int at = schema.get_field_idx(column);
    if (at < 0) {
      tk_log(2, "Field not found in schema");
      continue;
    }
    t_ftd& d = schema[static_cast<std::size_t>(at)];
    tk_log(1, "field size=%d", d.size);
    if (!text.empty()) {
      tk_log(1, "Got default string: %s (eye=%d, type=%d)", text, at, d.vartype);
      d.default_value = get_def_value(d.vartype, text);
      tk_log(1, "Got default variant: %s", d.default_value.to_wstring());
    }
    if (national_.size() < schema.size()) national_.resize(schema.size());
    national_[static_cast<std::size_t>(at)] = type == u"NVARCHAR2" || type == u"NCHAR" || type == u"NCLOB";
    if (type == u"NVARCHAR2" || type == u"NCHAR") {
      tk_log(1, "Tuning field size for NCHAR/NVARCHAR (eye=%d)", at);
      d.size /= 2;
      tk_log(1, "New field size=%d", d.size);
    }
    // The column's own type, not its width in server bytes, says whether it is a LOB.
    d.native_type = type;
  }
}

ole_variant ora_table::get_def_value(VARTYPE kind, std::u16string text) const {
  tk_log(1, "ora_table::get_def_value(type=0x%08X, src=%s)", kind, text);
  text = tk_trim(text);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text = tk_trim(text.substr(0, text.size() - 1));
  bool quoted = text.size() > 1 && text.front() == u'\'' && text.back() == u'\'';
  if (quoted) {
    tk_log(1, "Removing quotes");
    text = text.substr(1, text.size() - 2);
    tk_log(1, "After removing quotes: %s", text);
  }
  if (kind == VT_BSTR && !quoted) {
    tk_log(1, "Incorrect/empty/null default value for VT_BSTR");
    return {};
  }
  if (kind == VT_DATE) return {};
  try {
    return ole_variant::from_wstring(tk_wstring(text).replace_all(u"''", u"'"), kind);
  } catch (const ole_type_exception&) {
    return {};
  }
}

void ora_table::init_indexes() {
  tk_log(1, "ora_table::init_indexes");
  init_primary_key();
  init_plain_indexes();
  init_foreign_keys();
}

void ora_table::init_primary_key() {
  ora_query_results rows(engine(), 2,
      u"SELECT a.constraint_name, a.column_name FROM " + database_.dictionary(u"CONS_COLUMNS") + u" a, " +
      database_.dictionary(u"CONSTRAINTS") + u" b WHERE " + database_.owner_condition(u"a.OWNER") +
      database_.owner_condition(u"b.OWNER") + u"a.table_name='" + literal_name() +
      u"' AND a.constraint_name=b.constraint_name AND b.constraint_type='P' "
      u"ORDER BY a.constraint_name, a.position");
  udb_index key(u"", true, true, {});
  while (ora_record* row = rows.next_record()) {
    key.name = (*row)[0].to_wstring();
    std::u16string column = (*row)[1].to_wstring();
    if (schema.get_field_idx(column) < 0) {
      tk_log(2, "PK field '%s' not found - skip it", column);
      continue;
    }
    key.fields.push_back(column);
  }
  if (key.name.empty()) return;
  tk_log(2, "Got primary key '%s'", key.name);
  add_index(key);
}

void ora_table::init_plain_indexes() {
  bool old_server = engine().get_version() < 0x80000;
  std::u16string text =
      u"SELECT i.index_name, i.uniqueness, c.column_name FROM " + database_.dictionary(u"IND_COLUMNS") +
      u" c, " + database_.dictionary(u"INDEXES") + u" i where " + database_.owner_condition(u"c.INDEX_OWNER") +
      database_.owner_condition(u"i.OWNER") + u"c.table_name = '" + literal_name() + u"' AND " +
      (old_server ? u"" : u"i.generated='N' AND ") +
      u"c.index_name = i.index_name AND c.table_name = i.table_name ORDER BY i.index_name, c.column_position";
  ora_query_results rows(engine(), 3, text);
  std::vector<udb_index> found;
  while (ora_record* row = rows.next_record()) {
    std::u16string index = (*row)[0].to_wstring(), column = (*row)[2].to_wstring();
    if (found.empty() || found.back().name != index)
      found.emplace_back(index, (*row)[1].to_wstring() == u"UNIQUE", false, std::vector<std::u16string>{});
    if (schema.get_field_idx(column) < 0)
      tk_log(1, "Index field '%s' not found - skip it", column);
    else
      found.back().fields.push_back(column);
  }
  for (const udb_index& index : found) {
    tk_log(2, "Got index '%s' (unique=%d)", index.name, int(index.unique));
    if (key_index >= 0 && indexes[static_cast<std::size_t>(key_index)].name == index.name) {
      tk_log(1, "Skip Primary Key DoubleInitialization");
      continue;
    }
    add_index(index);
  }
}

void ora_table::init_foreign_keys() {
  if (key_index < 0) return;
  const udb_index& key = indexes[static_cast<std::size_t>(key_index)];
  std::u16string key_name = ora_literal_text(key.name);
  ora_query_results rows(engine(), 4,
      u"select a.TABLE_NAME,a.CONSTRAINT_NAME,a.DELETE_RULE,b.COLUMN_NAME FROM " +
      database_.dictionary(u"CONSTRAINTS") + u" a, " + database_.dictionary(u"CONS_COLUMNS") + u" b WHERE " +
      database_.owner_condition(u"a.OWNER") + database_.owner_condition(u"b.OWNER") +
      u"a.CONSTRAINT_NAME=b.CONSTRAINT_NAME and a.CONSTRAINT_TYPE='R' and "
      u"a.R_CONSTRAINT_NAME='" + key_name + u"'");
  std::map<std::u16string, udb_relationship> keys;
  while (ora_record* row = rows.next_record()) {
    std::u16string table = (*row)[0].to_wstring(), constraint = (*row)[1].to_wstring(),
                   rule = (*row)[2].to_wstring(), column = (*row)[3].to_wstring();
    tk_log(1, "GOT FK: %s,%s,%s,%s", table, constraint, rule, column);
    udb_relationship& fk = keys[constraint];
    fk.name = constraint;
    fk.table = table;
    fk.referenced_table = name;
    fk.delete_rule = u"ON DELETE " + rule;
    fk.fields.push_back(column);
    fk.referenced_fields = key.fields;
  }
  if (keys.empty()) tk_log(2, "No foreign keys found");
  for (auto& [constraint, fk] : keys)
    if (database_.relationships.is_acceptable_name(constraint)) database_.relationships.list.push_back(fk);
}

bool ora_table::is_eof() {
  tk_log(1, "ora_table::is_eof(%d,%d)", cursor_, record_count);
  if (cursor_ >= record_count || schema.empty()) return true;
  if (!initialized_) TK_ASSERTION_FAILED();
  return !fetch_row();
}

bool ora_table::matched_before(const udb_record& record) const {
  if (matched_names_.empty() || matched_names_.size() != record.size() ||
      matched_uppercase_ != database_.b_uppercase)
    return false;
  for (std::size_t f = 0; f < record.size(); ++f)
    if (record[f].name != matched_names_[f]) return false;
  return true;
}

const std::vector<int>& ora_table::map_fields(const udb_record& record) const {
  if (matched_before(record)) return field_of_column_;
  matched_names_.clear();
  field_of_column_ = match_fields(record);
  for (std::size_t f = 0; f < record.size(); ++f) matched_names_.push_back(record[f].name);
  matched_uppercase_ = database_.b_uppercase;
  return field_of_column_;
}

std::vector<int> ora_table::match_fields(const udb_record& record) const {
  std::vector<int> field_of_column(schema.size(), -1);
  if (schema.size() <= record.size()) {
    tk_log(1, "Size of schema is less or equal to the size of record");
    ora_field_finder finder(record, database_.b_uppercase, database_.limits);
    for (std::size_t c = 0; c < schema.size(); ++c) {
      field_of_column[c] = finder.get_field_idx(schema[c].name);
      if (field_of_column[c] < 0) {
        tk_log(1, "Field %s not found in appending record", schema[c].name);
        throw tk_exception(not_conforming);
      }
    }
    return field_of_column;
  }
  tk_log(1, "Size of record is less than size of schema");
  ora_fn_validator validator(record, database_.limits);
  for (std::size_t f = 0; f < record.size(); ++f) {
    std::u16string mapped = validator.take_name(record[f].name, database_.b_uppercase);
    tk_log(1, "Name=%s, mapped name=%s", record[f].name, mapped);
    int at = schema.get_field_idx(mapped);
    if (at < 0) {
      tk_log(1, "Field %s not found", mapped);
      throw tk_exception(not_conforming);
    }
    field_of_column[static_cast<std::size_t>(at)] = static_cast<int>(f);
  }
  return field_of_column;
}

// A text for a LONG column is bound, not written: a literal holds at most
// 4,000 bytes (ORA-01704), a LONG up to 2 GB.
std::u16string ora_table::insert_text(const udb_record& record, std::vector<int>& field_of_column,
                                      std::vector<std::u16string>& long_texts) {
  field_of_column = map_fields(record);
  long_texts.clear();
  std::u16string columns = u"INSERT /*+ APPEND */ INTO " + database_.sql_name(name) + u" (", values = u" VALUES(";
  bool first_column = true;
  ora_cell cell;
  for (std::size_t c = 0; c < schema.size(); ++c) {
    if (field_of_column[c] < 0) continue;
    const udb_field& field = record[static_cast<std::size_t>(field_of_column[c])];
    columns += (first_column ? u"" : u", ") + ora_quoted(schema[c].name);
    values += (first_column ? u"" : u", ") + column_literal(c, field, cell, long_texts);
    first_column = false;
  }
  return columns + u")" + values + u")";
}

// A LOB column gets a placeholder its data is written into after the row;
// a NULL that needs the column's NOT NULL relaxed has it relaxed here.
std::u16string ora_table::column_literal(std::size_t position, const udb_field& field, ora_cell& cell,
                                         std::vector<std::u16string>& long_texts) {
  const t_ftd& d = schema[position];
  const bool claimed = database_.conversion && database_.conversion->rule_for(field);
  bool relax = false;
  std::u16string literal;
  if (ora_is_lob_column(d) && !claimed) {
    if (!is_empty_lob_value(d, field)) return d.vartype == VT_BSTR ? u"EMPTY_CLOB()" : u"EMPTY_BLOB()";
    relax = null_needs_relaxing(position);
    literal = u"NULL";
  } else {
    cell_of(position, field, cell, relax);
    tk_log(1, "Got field #'%d' (%d, %d)", position, field.get_type(), field.size);
    if (d.native_type == u"LONG" && cell.what == ora_cell::kind::text) {
      long_texts.push_back(ora_cell_literal::text(cell));
      return tk_wformat(u":L%d", static_cast<int>(long_texts.size()));
    }
    literal = ora_cell_literal::sql(cell);
  }
  if (relax) {
    tk_log(1, "Put NULL-field");
    reset_not_null_flag(position);
  }
  return literal;
}

bool ora_table::is_national(std::size_t position) const {
  return position < national_.size() && national_[position];
}

// A double beyond NUMBER's range (or NaN) bound for a floating column: the
// column's default when it is NOT NULL and has one, else NULL.
bool ora_table::real_out_of_range(const t_ftd& d, const udb_field& field) const {
  if ((d.vartype != VT_R4 && d.vartype != VT_R8) || (field.get_type() != VT_R4 && field.get_type() != VT_R8))
    return false;
  const double value = field.to_double();
  return std::isnan(value) || value < -1e126 || value > 1e126;
}

void ora_table::cell_of(std::size_t position, const udb_field& field, ora_cell& out, bool& relax) const {
  relax = false;
  const t_ftd& d = schema[position];
  const ora_cell::kind kind = ora_cell_writer::kind_of(d);
  if (const udb_conversion_rule* rule = database_.conversion ? database_.conversion->rule_for(field) : nullptr)
    return ora_cell_writer::write(kind, rule->value(field), out);
  if (real_out_of_range(d, field)) {
    tk_log(1, "Number is out of range");
    const std::u16string fallback = d.b_not_null ? ora_default_value(d, database_.conversion).number_text() : u"";
    return ora_cell_writer::write(kind, fallback.empty() ? ole_variant() : ole_variant(fallback), out);
  }
  ora_cell_writer::write(kind, field, out);
  if (out.what == ora_cell::kind::null) relax = null_needs_relaxing(position);
}

bool ora_table::null_needs_relaxing(std::size_t position) const {
  const t_ftd& d = schema[position];
  return d.b_not_null && !indexes.is_idx_field(d.name, true);
}

void ora_table::reset_not_null_flag(std::size_t position) {
  tk_log(2, "ora_table::reset_not_null_flag(%d)", position);
  if (position >= schema.size()) TK_ASSERTION_FAILED();
  t_ftd& d = schema[position];
  std::u16string text = u"ALTER TABLE " + database_.sql_name(name) + u" MODIFY (" + ora_quoted(d.name) + u" NULL)";
  tk_log(3, "Run SQL query: %s\n", text);
  database_.run(text);
  d.b_not_null = false;
}

void ora_table::append_record(const udb_record& record) {
  tk_log(1, "ora_table::append_record");
  try {
    std::vector<int> field_of_column;
    std::vector<std::u16string> long_texts;
    std::u16string text = insert_text(record, field_of_column, long_texts);
    std::u16string rowid = rowid_.do_insert(text, long_texts);
    tk_log(1, "GOT ROWID(2): %s", rowid);
    ora_lob_insert lobs(engine(), database_.sql_name(name), schema);
    lobs.insert(rowid, record, field_of_column);
    database_.commit_records();
  } catch (...) {
    // The row and its LOBs go together, or not at all.
    try {
      engine().rollback();
    } catch (const tk_exception&) {
    }
    throw;
  }
  ++record_count;
  tk_log(1, "ora_table::append_record - at the END");
}

std::unique_ptr<udb_record_writer> ora_table::open_writer(const udb_write_options& options, udb_write_sinks sinks) {
  // A sync merges bound rows whatever the insert path: a row by row merge
  // would send every record's values as text.
  if (!options.sync_key.empty()) {
    if (!ora_bulk_insert::can_bind(*this))
      throw tk_exception("The table has a LONG column, whose values cannot be bound: it cannot be synced; convert it "
                         "with --mode=0 (overwrite)");
    return std::make_unique<ora_sync_writer>(*this, database_.journal, options, std::move(sinks));
  }
  if (options.row_by_row) return std::make_unique<ora_row_loader>(*this, database_.journal, std::move(sinks));
  if (ora_bulk_insert::can_bind(*this))
    return std::make_unique<ora_batch_loader>(*this, database_.journal, options, std::move(sinks));
  tk_log(3, "Table %s has a LONG column: its records are inserted one by one", tk_printable_name(options.shown_name));
  return std::make_unique<ora_row_loader>(*this, database_.journal, std::move(sinks));
}
