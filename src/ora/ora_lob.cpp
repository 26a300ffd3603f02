#include "ora_lob.hpp"

#include "ora_engine.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

namespace {
constexpr ub4 piece_bytes = 32768;
}

ora_lob::ora_lob(ora_engine& engine, OCIParam* parameter, ub2 type)
    : ora_type(engine, parameter, type) {
  locator_ = engine.new_descriptor(oci::dtype_lob);
}

ora_lob::~ora_lob() = default;

void ora_lob::define(ora_stmt& statement, ub4 position) {
  statement.define(position, locator_.address(), -1, oci_type, &indicator);
}

ub4 ora_lob::read_lob(ub4 offset, void* buffer, ub4 capacity, ub1 form) {
  tk_log(1, "ora_lob::read_lob(%d,%d)", offset, capacity);
  ora_engine& engine = engine_;
  // UTF-16 is fixed width for OCI: a CLOB's amount counts code units.
  ub4 amount = oci_type == oci::sqlt_clob ? capacity / 2 : capacity;
  sword status = engine.oci().OCILobRead(engine.service_context(), engine.error_handle(), locator(),
                                         &amount, offset, buffer, capacity, nullptr, nullptr,
                                         oci_type == oci::sqlt_clob ? oci::utf16_id : 0, form);
  engine.check_err(status, "OCILobRead");
  tk_log(1, "bytes_read=%d", amount);
  return status == oci::no_data ? 0 : amount;
}

// Read as UTF-16 whatever the CLOB's own character set: OCI converts, so the
// characters come back as they were written.
std::u16string ora_lob::read_text() {
  ora_engine& engine = engine_;
  ub1 form = oci::sqlcs_implicit;
  engine.check_err(engine.oci().OCILobCharSetForm(engine.environment(), engine.error_handle(),
                                                  locator(), &form),
                   "OCILobCharSetForm");
  tk_log(1, "Got charset form: %d", form);
  std::u16string text, piece(piece_bytes / 2, u'\0');
  for (;;) {
    ub4 units = read_lob(static_cast<ub4>(text.size()) + 1, piece.data(), piece_bytes, form);
    text.append(piece.data(), units);
    if (units < piece.size()) return text;
  }
}

std::string ora_lob::read_bytes() {
  std::string bytes, piece(piece_bytes, '\0');
  for (;;) {
    ub4 n = read_lob(static_cast<ub4>(bytes.size()) + 1, piece.data(), piece_bytes, 0);
    bytes.append(piece.data(), n);
    if (n < piece.size()) return bytes;
  }
}

ole_variant ora_lob::to_variant() {
  tk_log(1, "ora_lob::to_variant");
  if (oci_type == oci::sqlt_clob) {
    tk_log(1, "Got SQLT_CLOB!");
    return ole_variant(read_text());
  }
  if (oci_type != oci::sqlt_blob) TK_ASSERTION_FAILED();
  std::string bytes = read_bytes();
  return ole_variant(bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
}
