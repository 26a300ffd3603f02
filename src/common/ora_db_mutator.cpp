#include "ora_db_mutator.hpp"

#include "ora_util.hpp"
#include "tk_format.hpp"

ora_field_mutator ora_db_mutator::make_default_field(const t_ftd& column) {
  ora_field_mutator field;
  field.new_name = column.name;
  field.default_value = column.default_value.to_wstring();
  field.length = static_cast<std::int32_t>(column.size);
  if (column.vartype == VT_DECIMAL) {
    field.precision = static_cast<std::int32_t>(column.reserved >> 8 & 0xFF);
    field.scale = static_cast<std::int32_t>(column.reserved & 0xFF);
  }
  std::u16string type;
  switch (column.vartype) {
    case VT_I2: case VT_UI1: type = u"NUMBER(5,0)"; break;
    case VT_I4: case VT_UI2: case VT_INT: type = u"NUMBER(11,0)"; break;
    case VT_R4: case VT_R8: case VT_CY: type = u"NUMBER"; break;
    case VT_BOOL: case VT_I1: type = u"NUMBER(3,0)"; break;
    case VT_DECIMAL: type = tk_wformat(u"NUMBER(%d,%d)", field.precision, field.scale); break;
    case VT_UI4: case VT_I8: case VT_UI8: case VT_UINT: type = u"NUMBER(19,0)"; break;
    default: type = get_ora_native_type(column, false); break;
  }
  while (!type.empty() && type.back() == u' ') type.pop_back();
  field.type = ora_native_type::parse(type);
  return field;
}
