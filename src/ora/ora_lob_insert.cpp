#include "ora_lob_insert.hpp"

#include "ora_engine.hpp"
#include "ora_stmt.hpp"
#include "ora_util.hpp"
#include "tk_logger.hpp"

ora_lob_insert::ora_lob_insert(ora_engine& engine, const std::u16string& table, const udb_schema& schema)
    : engine_(engine), table_(table) {
  tk_log(1, "ora_lob_insert::ctor");
  for (std::size_t i = 0; i < schema.size(); ++i) {
    const t_ftd& c = schema[i];
    tk_log(1, "Processing '%s': vt=%d, size=%d", c.name, c.vartype, c.size);
    if (!ora_is_lob_column(c)) continue;
    tk_log(1, "GOT LOB FIELD '%s'", c.name);
    columns_.push_back({i, c.vartype, c.name});
    locators_.push_back(engine.new_descriptor(oci::dtype_lob));
  }
  tk_log(1, "ora_lob_insert::ctor - at the END");
}

ora_lob_insert::~ora_lob_insert() {
  tk_log(1, "ora_lob_insert::~ora_lob_insert");
}

std::u16string ora_lob_insert::select_text(const std::u16string& rowid) const {
  std::u16string text = u"SELECT ";
  for (std::size_t k = 0; k < columns_.size(); ++k) text += (k ? u", " : u"") + ora_quoted(columns_[k].name);
  return text + u" FROM " + table_ + u" WHERE ROWID='" + ora_literal_text(rowid) +
         u"' FOR UPDATE";
}

void ora_lob_insert::insert(const std::u16string& rowid, const udb_record& record,
                            const std::vector<int>& field_of_column) {
  tk_log(1, "ora_lob_insert::insert(%s)", rowid);
  tk_log(1, "ld.size()=%d", columns_.size());
  if (columns_.empty()) {
    tk_log(2, "Record has no LOBs - skip it");
    return;
  }
  std::u16string text = select_text(rowid);
  tk_log(3, "Run SQL query: %s\n", text);
  ora_stmt statement(engine_);
  statement.prepare(text);
  std::vector<sb2> indicators(columns_.size());
  for (std::size_t k = 0; k < columns_.size(); ++k)
    statement.define(static_cast<ub4>(k + 1), locators_[k].address(), -1,
                     columns_[k].kind == VT_BSTR ? oci::sqlt_clob : oci::sqlt_blob, &indicators[k]);
  statement.execute(1);
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    int at = field_of_column[columns_[k].position];
    if (at < 0) continue;
    const udb_field& field = record[static_cast<std::size_t>(at)];
    if (columns_[k].kind == VT_BSTR)
      write_clob(k, field);
    else
      write_blob(k, field);
  }
  tk_log(1, "ora_insert::insert - at the END");
}

void ora_lob_insert::write_blob(std::size_t k, const udb_field& field) {
  tk_log(1, "ora_lob_insert::write_blob");
  const std::uint8_t* bytes = nullptr;
  std::size_t n = ole_variant::is_binary(field.get_type()) ? field.get_bytes(&bytes) : 0;
  if (n == 0) {
    tk_log(1, "Got empty BLOB - skip it");
    return;
  }
  tk_log(1, "BLOB size=%d", n);
  ora_engine& engine = engine_;
  ub4 amount = static_cast<ub4>(n);
  engine.check_err(engine.oci().OCILobWrite(engine.service_context(), engine.error_handle(),
                                            locator(k), &amount, 1,
                                            const_cast<std::uint8_t*>(bytes), static_cast<ub4>(n),
                                            oci::one_piece, nullptr, nullptr, 0, oci::sqlcs_implicit),
                   "OCILobWrite");
  tk_log(1, "ora_lob_insert::write_blob - at the end");
}

// The text goes over as UTF-16 and says so (character set 1000): the amount
// then counts code units. Handing over UTF-8 while OCI expects the
// environment's UTF-16 would store other characters than the memo's.
void ora_lob_insert::write_clob(std::size_t k, const udb_field& field) {
  tk_log(1, "ora_lob_insert::write_clob");
  std::u16string text = field.to_wstring();
  if (text.empty()) {
    tk_log(1, "Got empty CLOB - skip it");
    return;
  }
  tk_log(1, "CLOB size=%d", text.size());
  ora_engine& engine = engine_;
  // An NCLOB takes its text in the national form: the implicit form would
  // pass it through the database character set.
  ub1 form = oci::sqlcs_implicit;
  engine.check_err(engine.oci().OCILobCharSetForm(engine.environment(), engine.error_handle(), locator(k), &form),
                   "OCILobCharSetForm");
  ub4 amount = static_cast<ub4>(text.size());
  engine.check_err(engine.oci().OCILobWrite(engine.service_context(), engine.error_handle(),
                                            locator(k), &amount, 1, text.data(),
                                            static_cast<ub4>(text.size() * 2), oci::one_piece,
                                            nullptr, nullptr, oci::utf16_id, form),
                   "OCILobWrite");
  tk_log(1, "Step #2");
}
