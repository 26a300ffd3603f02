#include "ora_stmt.hpp"

#include "ora_engine.hpp"
#include "tk_logger.hpp"

ora_stmt::ora_stmt(ora_engine& engine) : engine_(&engine) {
  tk_log(1, "ora_stmt::ctor");
  handle_ = engine.new_handle(oci::htype_stmt);
}

ora_stmt::~ora_stmt() {
  tk_log(1, "ora_stmt::dtor");
  handle_.reset();
  tk_log(1, "ora_stmt::dtor - END");
}

void ora_stmt::prepare(const std::u16string& text) {
  ora_engine& engine = *engine_;
  engine.check_err(engine.oci().OCIStmtPrepare(handle(), engine.error_handle(),
                                               reinterpret_cast<const OraText*>(text.c_str()),
                                               static_cast<ub4>(text.size() * 2), oci::ntv_syntax,
                                               oci::default_mode),
                   "OCIStmtPrepare");
}

sword ora_stmt::execute(ub4 iterations, ub4 mode) {
  ora_engine& engine = *engine_;
  sword status = engine.oci().OCIStmtExecute(engine.service_context(), handle(),
                                             engine.error_handle(), iterations, 0, nullptr,
                                             nullptr, mode);
  engine.check_err(status, "OCIStmtExecute");
  return status;
}

bool ora_stmt::fetch() {
  ora_engine& engine = *engine_;
  sword status = engine.oci().OCIStmtFetch(handle(), engine.error_handle(), 1, oci::fetch_next,
                                           oci::default_mode);
  engine.check_err(status, "OCIStmtFetch");
  return status != oci::no_data;
}

ub4 ora_stmt::fetch_rows(ub4 rows) {
  ora_engine& engine = *engine_;
  const sword status = engine.oci().OCIStmtFetch(handle(), engine.error_handle(), rows, oci::fetch_next,
                                                 oci::default_mode);
  engine.check_err(status, "OCIStmtFetch");
  ub4 fetched = 0;
  engine.check_err(engine.oci().OCIAttrGet(handle(), oci::htype_stmt, &fetched, nullptr, oci::attr_rows_fetched,
                                           engine.error_handle()),
                   "OCIAttrGet");
  return fetched;
}

OCIDefine* ora_stmt::define(ub4 position, void* buffer, sb4 size, ub2 type, sb2* indicator,
                            ub2* length) {
  ora_engine& engine = *engine_;
  OCIDefine* define = nullptr;
  engine.check_err(engine.oci().OCIDefineByPos(handle(), &define, engine.error_handle(), position,
                                               buffer, size, type, indicator, length, nullptr,
                                               oci::default_mode),
                   "OCIDefineByPos");
  return define;
}
