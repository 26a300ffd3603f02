#include "ora_get_rowid.hpp"

#include <cstring>
#include <type_traits>

#include "ora_engine.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

ora_get_rowid::ora_get_rowid(ora_engine& engine) : statement_(engine) { tk_log(1, "ora_get_rowid::ctor"); }
ora_get_rowid::~ora_get_rowid() { tk_log(1, "ora_get_rowid::dtor"); }

sb4 ora_get_rowid::cbf_no_data(void*, OCIBind*, ub4, ub4, void** buffer, ub4* length, ub1* piece,
                               void** indicator) {
  tk_log(1, "ora_get_rowid::cbf_no_data");
  *buffer = nullptr;
  *length = 0;
  *piece = oci::one_piece;
  *indicator = nullptr;
  return oci::callback_continue;
}

sb4 ora_get_rowid::cbf_get_data(void* context, OCIBind*, ub4 iteration, ub4, void** buffer,
                                ub4** length, ub1* piece, void** indicator, ub2** code) {
  tk_log(1, "ora_get_rowid::cbf_get_data (iter=%d)", iteration);
  auto* self = static_cast<ora_get_rowid*>(context);
  self->returned_ = buffer_bytes;
  *buffer = self->rowid_;
  *length = &self->returned_;
  *piece = oci::one_piece;
  *indicator = &self->indicator_;
  *code = nullptr;
  return oci::callback_continue;
}

// SQLT_LVC: a four-byte length, then the text. They are the only binds of
// the VALUES list; only the RETURNING bind follows them (ORA-24816 otherwise).
void ora_get_rowid::bind_long_texts(const std::vector<std::u16string>& long_texts) {
  ora_engine& engine = statement_.engine();
  long_buffers_.clear();
  for (std::size_t k = 0; k < long_texts.size(); ++k) {
    const std::size_t bytes = long_texts[k].size() * 2;
    if (bytes > 0x7FFFFFFFu - 4) throw tk_exception("The text is longer than a LONG column holds (2 GB)");
    const auto length = static_cast<ub4>(bytes);
    std::string buffer(4 + bytes, '\0');
    std::memcpy(buffer.data(), &length, 4);
    std::memcpy(buffer.data() + 4, long_texts[k].data(), bytes);
    long_buffers_.push_back(std::move(buffer));
  }
  for (std::size_t k = 0; k < long_buffers_.size(); ++k) {
    const std::u16string placeholder = tk_wformat(u":L%d", static_cast<int>(k + 1));
    OCIBind* bind = nullptr;
    engine.check_err(engine.oci().OCIBindByName(statement_.handle(), &bind, engine.error_handle(),
                                                reinterpret_cast<const OraText*>(placeholder.c_str()),
                                                static_cast<sb4>(placeholder.size() * 2), long_buffers_[k].data(),
                                                static_cast<sb4>(long_buffers_[k].size()), oci::sqlt_lvc, nullptr,
                                                nullptr, nullptr, 0, nullptr, oci::default_mode),
                     "OCIBindByName");
  }
}

std::u16string ora_get_rowid::do_insert(std::u16string text, const std::vector<std::u16string>& long_texts) {
  tk_log(1, "ora_get_rowid::do_insert");
  text += u" RETURNING ROWID INTO :1";
  tk_log(3, "Run SQL query: %s\n", text);
  ora_engine& engine = statement_.engine();
  statement_.prepare(text);
  bind_long_texts(long_texts);
  tk_log(1, "Step #1");
  static const std::u16string placeholder = u":1";
  engine.check_err(engine.oci().OCIBindByName(statement_.handle(), &bind_, engine.error_handle(),
                                              reinterpret_cast<const OraText*>(placeholder.c_str()),
                                              static_cast<sb4>(placeholder.size() * 2), nullptr,
                                              buffer_bytes, oci::sqlt_str, nullptr, nullptr,
                                              nullptr, 0, nullptr, oci::data_at_exec),
                   "OCIBindByName");
  tk_log(1, "Step #2");
  // OCI calls these through its own callback types; any other type is undefined.
  static_assert(std::is_same_v<decltype(&cbf_no_data), OCICallbackInBind>);
  static_assert(std::is_same_v<decltype(&cbf_get_data), OCICallbackOutBind>);
  engine.check_err(engine.oci().OCIBindDynamic(bind_, engine.error_handle(), this, cbf_no_data,
                                               this, cbf_get_data),
                   "OCIBindDynamic");
  tk_log(1, "Step #3");
  rowid_[0] = 0;
  // No commit here: the row becomes durable together with its LOBs.
  statement_.execute(1, oci::default_mode);
  if (returned_ >= buffer_bytes) TK_ASSERTION_FAILED();
  std::u16string rowid(rowid_, returned_ / 2);
  tk_log(2, "GOT ROWID(1): %s, len=%d", rowid, returned_);
  return rowid;
}
