#include "ora_number.hpp"

#include "ora_engine.hpp"
#include "ora_util.hpp"
#include "tk_logger.hpp"

ora_number::ora_number(ora_engine& engine, OCIParam* parameter, ub2 type)
    : ora_type(engine, parameter, type) {
  sb2 p = 0;
  sb1 s = 0;
  engine.check_err(engine.oci().OCIAttrGet(parameter, oci::dtype_param, &p, nullptr,
                                           oci::attr_precision, engine.error_handle()),
                   "OCIAttrGet");
  engine.check_err(engine.oci().OCIAttrGet(parameter, oci::dtype_param, &s, nullptr,
                                           oci::attr_scale, engine.error_handle()),
                   "OCIAttrGet");
  precision = p;
  scale = s < 0 ? 0 : s;
  tk_log(1, "Prec=%d, scale=%d", precision, scale);
  refined_ = get_refined_num_type(precision, scale);
  oci_type = 2;
}

std::unique_ptr<t_ftd> ora_number::get_ftd() const {
  tk_log(1, "ora_number::get_ftd");
  tk_log(1, "Got field '%s', type=%d, lenght=%d, nullable=%d", name, oci_type, size, int(nullable));
  return std::make_unique<t_ftd>(size, name, refined_, !nullable, false, ole_variant(), 0);
}

void ora_number::define(ora_stmt& statement, ub4 position) {
  statement.define(position, buffer_, sizeof buffer_, oci::sqlt_str, &indicator);
}

ole_variant ora_number::to_variant() {
  std::u16string text(buffer_);
  tk_log(1, "ora_number::to_variant(buf=%s)", text);
  return ole_variant::from_wstring(text, refined_);
}
