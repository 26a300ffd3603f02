#include "ora_bulk_insert.hpp"

#include "ora_cell_writer.hpp"
#include "ora_engine.hpp"
#include "ora_table.hpp"
#include "ora_util.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {

ora_bind_column::form form_of(const t_ftd& d) {
  using form = ora_bind_column::form;
  if (ora_is_lob_column(d)) return d.vartype == VT_BSTR ? form::long_text : form::long_binary;
  switch (ora_cell_writer::kind_of(d)) {
    case ora_cell::kind::date: return form::date;
    case ora_cell::kind::timestamp: return form::timestamp;
    case ora_cell::kind::binary: return form::binary;
    case ora_cell::kind::number: return form::number;
    default: return form::text;
  }
}

void assign_utf16(const std::u16string& text, ora_cell& out) {
  out.what = text.empty() ? ora_cell::kind::null : ora_cell::kind::text;
  out.bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

}  // namespace

bool ora_bulk_insert::can_bind(const ora_table& table) {
  for (std::size_t c = 0; c < table.schema.size(); ++c)
    if (table.schema[c].native_type == u"LONG") return false;
  return true;
}

ora_bulk_insert::ora_bulk_insert(ora_table& table, std::size_t batch_rows, std::size_t batch_bytes,
                                 std::size_t largest_lob)
    : table_(table), batch_rows_(batch_rows ? batch_rows : 1), batch_bytes_(batch_bytes), largest_lob_(largest_lob) {
  tk_log(1, "ora_bulk_insert::ctor(%s, %d rows, %d bytes)", table.name, batch_rows_, batch_bytes_);
}

ora_bulk_insert::~ora_bulk_insert() = default;

// The columns the record fills, LOB data last (ORA-24816 otherwise), and
// the statement, prepared once for the table.
void ora_bulk_insert::prepare(const udb_record& record) {
  field_of_column_ = table_.map_fields(record);
  record_size_ = record.size();
  std::vector<ora_bind_column> ordinary, lobs;
  for (std::size_t c = 0; c < table_.schema.size(); ++c) {
    if (field_of_column_[c] < 0) continue;
    ora_bind_column column(c, form_of(table_.schema[c]), table_.is_national(c));
    (column.is_long() ? lobs : ordinary).push_back(std::move(column));
  }
  columns_ = std::move(ordinary);
  for (ora_bind_column& column : lobs) columns_.push_back(std::move(column));
  relax_.assign(columns_.size(), false);
  row_.assign(columns_.size(), ora_cell());
  row_relax_.assign(columns_.size(), 0);
  const std::u16string text = merge_key_.empty() ? insert_text() : merge_text();
  tk_log(3, "Bulk insert: %s", text);
  statement_ = std::make_unique<ora_stmt>(table_.engine());
  statement_->prepare(text);
}

namespace {

std::u16string placeholder(std::size_t k) { return tk_wformat(u":%d", static_cast<int>(k + 1)); }

}  // namespace

std::u16string ora_bulk_insert::insert_text() const {
  std::u16string names, values;
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    names += (k ? u", " : u"") + ora_quoted(table_.schema[columns_[k].position()].name);
    values += (k ? u", " : u"") + placeholder(k);
  }
  return u"INSERT INTO " + table_.sql_name() + u" (" + names + u") VALUES (" + values + u")";
}

// Only the key goes through the source select list: Oracle takes a bound
// value of over 4,000 bytes there in no column (ORA-01461), while SET and
// VALUES take LOB data of any size. A placeholder bound by name binds each
// of its places, so a column's values are bound once.
std::u16string ora_bulk_insert::merge_text() const {
  std::vector<bool> is_key(columns_.size(), false);
  for (std::size_t field : merge_key_) {
    const int k = bound_column_of_field(field);
    if (k < 0) throw tk_exception("A key field of the sync is not a column of the table", tk_exception::internal_level);
    is_key[static_cast<std::size_t>(k)] = true;
  }
  std::u16string source, on, set, names, values;
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    const std::u16string name = ora_quoted(table_.schema[columns_[k].position()].name);
    names += (k ? u", " : u"") + name;
    values += (k ? u", " : u"") + placeholder(k);
    if (is_key[k]) {
      source += (source.empty() ? u"" : u", ") + placeholder(k) + u" " + name;
      on += (on.empty() ? u"" : u" AND ") + std::u16string(u"t.") + name + u" = s." + name;
    } else {
      set += (set.empty() ? u"" : u", ") + std::u16string(u"t.") + name + u" = " + placeholder(k);
    }
  }
  std::u16string text = u"MERGE INTO " + table_.sql_name() + u" t USING (SELECT " + source + u" FROM DUAL) s ON (" +
                        on + u")";
  // A table of key columns only has nothing to update (ORA-38104 forbids
  // setting the key).
  if (!set.empty()) text += u" WHEN MATCHED THEN UPDATE SET " + set;
  return text + u" WHEN NOT MATCHED THEN INSERT (" + names + u") VALUES (" + values + u")";
}

int ora_bulk_insert::bound_column_of_field(std::size_t field) const {
  for (std::size_t k = 0; k < columns_.size(); ++k)
    if (field_of_column_[columns_[k].position()] == static_cast<int>(field)) return static_cast<int>(k);
  return -1;
}

// LOB data is bound as it stands; every other value as the cell the
// row-by-row insert writes its literal from.
void ora_bulk_insert::value_of(const ora_bind_column& column, const udb_field& field, bool& relax,
                               ora_cell& out) const {
  relax = false;
  const t_ftd& d = table_.schema[column.position()];
  if (!column.is_long()) return table_.cell_of(column.position(), field, out, relax);
  if (d.vartype == VT_BSTR) {
    if (field.get_type() == VT_BSTR) return assign_utf16(field.var.bstrVal, out);
    return assign_utf16(field.to_wstring(), out);
  }
  const std::uint8_t* bytes = nullptr;
  std::size_t n = ole_variant::is_binary(field.get_type()) ? field.get_bytes(&bytes) : 0;
  out.what = n ? ora_cell::kind::binary : ora_cell::kind::null;
  out.bytes.assign(reinterpret_cast<const char*>(bytes), n);
}

bool ora_bulk_insert::fill(const udb_record& record) {
  filled_ = false;
  if (!statement_) prepare(record);
  if (record.size() != record_size_ && table_.map_fields(record) != field_of_column_)
    throw tk_exception("The structure of data source does not conform to the destination table.");
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    const int at = field_of_column_[columns_[k].position()];
    bool needs = false;
    value_of(columns_[k], record[static_cast<std::size_t>(at)], needs, row_[k]);
    row_relax_[k] = needs;
  }
  filled_ = true;
  return true;
}

bool ora_bulk_insert::push(std::uint64_t tag) {
  if (!filled_) throw tk_exception("No record's cells to queue", tk_exception::internal_level);
  std::size_t bytes = 0;
  oversized_ = false;
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    const std::size_t size = row_[k].what == ora_cell::kind::null ? 0 : row_[k].bytes.size();
    if (columns_[k].is_long() && size > largest_lob_) oversized_ = true;
    bytes += columns_[k].element_size_with(size);
  }
  if (oversized_) return false;
  if (pending() > 0 && bytes * (pending() + 1) > batch_bytes_) return false;
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    if (row_[k].what == ora_cell::kind::null)
      columns_[k].add_null();
    else
      columns_[k].add(row_[k].bytes);
    if (row_relax_[k]) relax_[k] = true;
  }
  tags_.push_back(tag);
  filled_ = false;
  return true;
}

std::size_t ora_bulk_insert::reserved_bytes() const {
  std::size_t per_row = 0;
  for (const ora_bind_column& column : columns_) per_row += column.element_size();
  return per_row * pending();
}

bool ora_bulk_insert::full() const { return pending() >= batch_rows_ || reserved_bytes() >= batch_bytes_; }

bool ora_bulk_insert::needs_relaxing() const {
  for (std::size_t k = 0; k < columns_.size(); ++k)
    if (relax_[k] && table_.schema[columns_[k].position()].b_not_null) return true;
  return false;
}

void ora_bulk_insert::relax() {
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    if (relax_[k] && table_.schema[columns_[k].position()].b_not_null) {
      tk_log(1, "Put NULL-field");
      table_.reset_not_null_flag(columns_[k].position());
    }
    relax_[k] = false;
  }
}

std::vector<ora_bulk_insert::row_error> ora_bulk_insert::execute(bool commit) {
  const std::size_t rows = pending();
  if (rows == 0) return {};
  tk_log(1, "ora_bulk_insert::execute(%d rows, %d bytes)", rows, reserved_bytes());
  try {
    for (std::size_t k = 0; k < columns_.size(); ++k)
      columns_[k].bind(*statement_, tk_wformat(u":%d", static_cast<int>(k + 1)));
    statement_->execute(static_cast<ub4>(rows), oci::batch_errors | (commit ? oci::commit_on_success : 0));
  } catch (...) {
    clear();
    throw;
  }
  std::vector<row_error> errors = row_errors(rows);
  clear();
  return errors;
}

// The rows Oracle refused, each with its own error (batch errors).
std::vector<ora_bulk_insert::row_error> ora_bulk_insert::row_errors(std::size_t rows) {
  ora_engine& engine = statement_->engine();
  ub4 count = 0;
  engine.check_err(engine.oci().OCIAttrGet(statement_->handle(), oci::htype_stmt, &count, nullptr,
                                           oci::attr_num_dml_errors, engine.error_handle()),
                   "OCIAttrGet");
  std::vector<row_error> errors;
  if (count == 0) return errors;
  ora_handle row_handle = engine.new_handle(oci::htype_error);
  for (ub4 i = 0; i < count; ++i) {
    void* filled = row_handle.get();
    engine.check_err(engine.oci().OCIParamGet(engine.error_handle(), oci::htype_error, engine.error_handle(),
                                              &filled, i),
                     "OCIParamGet");
    ub4 offset = 0;
    engine.check_err(engine.oci().OCIAttrGet(filled, oci::htype_error, &offset, nullptr, oci::attr_dml_row_offset,
                                             engine.error_handle()),
                     "OCIAttrGet");
    if (offset >= rows) continue;
    errors.push_back({tags_[offset], engine.diagnostic_of(static_cast<OCIError*>(filled))});
  }
  return errors;
}

void ora_bulk_insert::swap_batch(ora_bulk_insert& other) {
  std::swap(oversized_, other.oversized_);
  std::swap(field_of_column_, other.field_of_column_);
  std::swap(record_size_, other.record_size_);
  std::swap(columns_, other.columns_);
  std::swap(relax_, other.relax_);
  std::swap(tags_, other.tags_);
  std::swap(row_, other.row_);
  std::swap(row_relax_, other.row_relax_);
  std::swap(statement_, other.statement_);
  std::swap(merge_key_, other.merge_key_);
  std::swap(filled_, other.filled_);
}

void ora_bulk_insert::clear() {
  for (ora_bind_column& column : columns_) column.clear();
  tags_.clear();
}
