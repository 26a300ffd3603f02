#include "ora_type.hpp"

#include "ora_binary.hpp"
#include "ora_date.hpp"
#include "ora_dummy.hpp"
#include "ora_engine.hpp"
#include "ora_lob.hpp"
#include "ora_native_type.hpp"
#include "ora_number.hpp"
#include "ora_str_repr.hpp"
#include "ora_string.hpp"
#include "tk_logger.hpp"

ora_type::ora_type(ora_engine& engine, OCIParam* parameter, ub2 oci_type_)
    : oci_type(oci_type_), engine_(engine) {
  tk_log(1, "ora_type::ctor(%d)", oci_type_);
  char16_t* text = nullptr;
  ub4 bytes = 0;
  engine.check_err(engine.oci().OCIAttrGet(parameter, oci::dtype_param, &text, &bytes,
                                           oci::attr_name, engine.error_handle()),
                   "OCIAttrGet");
  // OCI hands out its own copy with a byte length and no terminator.
  if (text) name.assign(text, bytes / 2);
  tk_log(1, "AS WCHAR*: %s", name);
  ub1 null_allowed = 1;
  engine.check_err(engine.oci().OCIAttrGet(parameter, oci::dtype_param, &null_allowed, nullptr,
                                           oci::attr_is_null, engine.error_handle()),
                   "OCIAttrGet");
  nullable = null_allowed != 0;
}

ub2 ora_type::read_ub2(OCIParam* parameter, ub4 attribute) const {
  ora_engine& engine = engine_;
  ub2 value = 0;
  engine.check_err(engine.oci().OCIAttrGet(parameter, oci::dtype_param, &value, nullptr, attribute,
                                           engine.error_handle()),
                   "OCIAttrGet");
  return value;
}

VARTYPE ora_type::get_vartype() const {
  tk_log(1, "ora_type::get_vartype()");
  return ora_kind_of_oci_type(oci_type);
}

std::unique_ptr<t_ftd> ora_type::get_ftd() const {
  tk_log(1, "ora_type::get_ftd");
  VARTYPE kind = get_vartype();
  tk_log(1, "Got field '%s', type=%d, vartype=%d, lenght=%d, nullable=%d", name, oci_type, kind,
         size, int(nullable));
  return std::make_unique<t_ftd>(size, name, kind, !nullable, false, ole_variant(),
                                 kind == VT_DATE ? 1u : 0u);
}

std::unique_ptr<ora_type> ora_type::gen_co_by_type(ora_engine& engine, OCIParam* parameter, ub2 type) {
  tk_log(1, "ora_query_results::gen_co_by_type(%d)", type);
  switch (type) {
    case 1: case 5: case 96: return std::make_unique<ora_string>(engine, parameter, type);
    case 2: case 3: case 4: case 6: case 7: return std::make_unique<ora_number>(engine, parameter, type);
    case 8: case 24: return std::make_unique<ora_str_repr>(engine, parameter, type, 1000000);
    case 11: case 104: case 105: return std::make_unique<ora_str_repr>(engine, parameter, type, 255);
    case 182: case 189: case 190: return std::make_unique<ora_str_repr>(engine, parameter, type, 16);
    case 12: case 187: case 188: case 231: case 232: return std::make_unique<ora_date>(engine, parameter, type);
    case 23: return std::make_unique<ora_binary>(engine, parameter, type);
    case 112: case 113: return std::make_unique<ora_lob>(engine, parameter, type);
    default: return std::make_unique<ora_dummy>(engine, parameter, type);
  }
}
