#include "ora_bulk_insert.hpp"

#include "ora_direct_value.hpp"
#include "ora_engine.hpp"
#include "ora_literal_reader.hpp"
#include "ora_table.hpp"
#include "ora_util.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "udb_custom_conversion.hpp"

namespace {

bool is_number_kind(VARTYPE kind) {
  return udb_is_numeric_kind(kind) || kind == VT_INT || kind == VT_UINT || kind == VT_BOOL || kind == VT_I1 ||
         kind == VT_UI1 || kind == VT_UI2 || kind == VT_UI4 || kind == VT_I8 || kind == VT_UI8;
}

ora_bind_column::form form_of(const t_ftd& d) {
  using form = ora_bind_column::form;
  if (ora_is_lob_column(d)) return d.vartype == VT_BSTR ? form::long_text : form::long_binary;
  if (d.vartype == VT_DATE) return form::date;
  if (d.vartype == VT_BLOB || d.vartype == VT_BYTE_ARRAY) return form::binary;
  if (is_number_kind(d.vartype)) return form::number;
  return form::text;
}

const std::string& assign_utf16(const std::u16string& text, std::string& out) {
  out.assign(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  return out;
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
  row_.assign(columns_.size(), std::string());
  row_null_.assign(columns_.size(), 0);
  row_relax_.assign(columns_.size(), 0);
  std::u16string names, values;
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    names += (k ? u", " : u"") + ora_quoted(table_.schema[columns_[k].position()].name);
    values += (k ? u", :" : u":") + tk_wformat(u"%d", static_cast<int>(k + 1));
  }
  std::u16string text = u"INSERT INTO " + table_.sql_name() + u" (" + names + u") VALUES (" + values + u")";
  tk_log(3, "Bulk insert: %s", text);
  statement_ = std::make_unique<ora_stmt>(table_.engine());
  statement_->prepare(text);
}

// Values whose kind fits the column go straight into bind form; the rest,
// and any a conversion rule claims, through the SQL literal the row-by-row
// insert would write, read back.
bool ora_bulk_insert::value_of(const ora_bind_column& column, const udb_field& field, bool& relax,
                               std::string& out) const {
  relax = false;
  const t_ftd& d = table_.schema[column.position()];
  if (ora_is_lob_column(d)) {
    if (d.vartype == VT_BSTR) {
      if (field.get_type() == VT_BSTR) return !assign_utf16(field.var.bstrVal, out).empty();
      return !assign_utf16(field.to_wstring(), out).empty();
    }
    const std::uint8_t* bytes = nullptr;
    std::size_t n = ole_variant::is_binary(field.get_type()) ? field.get_bytes(&bytes) : 0;
    out.assign(reinterpret_cast<const char*>(bytes), n);
    return n != 0;
  }
  if (!udb_custom_conversion::is_acceptable2(field)) {
    switch (ora_direct_value::write(column.kind(), field, out)) {
      case ora_direct_value::outcome::value: return true;
      case ora_direct_value::outcome::null: relax = table_.null_needs_relaxing(column.position()); return false;
      case ora_direct_value::outcome::literal: break;
    }
  }
  return literal_value(column, field, relax, out);
}

bool ora_bulk_insert::literal_value(const ora_bind_column& column, const udb_field& field, bool& relax,
                                    std::string& out) const {
  using form = ora_bind_column::form;
  std::u16string literal = table_.field_literal(column.position(), field, relax);
  if (ora_literal_reader::is_null(literal)) return false;
  switch (column.kind()) {
    case form::number: out = ora_literal_reader::number(literal); return true;
    case form::date: {
      oci::date date = ora_literal_reader::date(literal);
      out.assign(reinterpret_cast<const char*>(&date), sizeof date);
      return true;
    }
    case form::binary: {
      std::vector<std::uint8_t> bytes = ora_literal_reader::binary(literal);
      out.assign(bytes.begin(), bytes.end());
      return !bytes.empty();
    }
    default: return !assign_utf16(ora_literal_reader::text(literal), out).empty();
  }
}

bool ora_bulk_insert::add(const udb_record& record, std::uint64_t tag) {
  if (!statement_) prepare(record);
  if (record.size() != record_size_ && table_.map_fields(record) != field_of_column_)
    throw tk_exception("The structure of data source does not conform to the destination table.");
  std::size_t bytes = 0;
  oversized_ = false;
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    const int at = field_of_column_[columns_[k].position()];
    bool needs = false;
    const bool present = value_of(columns_[k], record[static_cast<std::size_t>(at)], needs, row_[k]);
    row_null_[k] = !present;
    row_relax_[k] = needs;
    if (present && columns_[k].is_long() && row_[k].size() > largest_lob_) oversized_ = true;
    bytes += columns_[k].element_size_with(present ? row_[k].size() : 0);
  }
  if (oversized_) return false;
  if (pending() > 0 && bytes * (pending() + 1) > batch_bytes_) return false;
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    if (row_null_[k])
      columns_[k].add_null();
    else
      columns_[k].add(row_[k]);
    if (row_relax_[k]) relax_[k] = true;
  }
  tags_.push_back(tag);
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

void ora_bulk_insert::clear() {
  for (ora_bind_column& column : columns_) column.clear();
  tags_.clear();
}
