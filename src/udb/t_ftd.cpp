#include "t_ftd.hpp"

#include "tk_logger.hpp"

namespace {

// The destination kinds that take any numeric source.
bool is_numeric_destination(VARTYPE kind) {
  return kind == VT_INT || kind == VT_UINT || udb_is_numeric_kind(kind);
}

bool size_fits(const t_ftd& source, const t_ftd& destination) {
  return destination.size == 0 || destination.size >= source.size;
}

}  // namespace

bool udb_is_numeric_kind(VARTYPE kind) {
  switch (kind) {
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_BOOL:
    case VT_DECIMAL: case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8:
    case VT_UI8:
      return true;
    default:
      return false;
  }
}

bool udb_is_string_kind(VARTYPE kind) {
  return kind == VT_BSTR || kind == VT_LPSTR || kind == VT_LPWSTR;
}

t_ftd::t_ftd(std::uint32_t size_, std::u16string name_, VARTYPE vartype_, bool b_not_null_,
             bool auto_increment_, ole_variant default_value_, std::uint32_t reserved_,
             std::u16string native_type_)
    : size(size_),
      name(std::move(name_)),
      vartype(vartype_),
      native_type(std::move(native_type_)),
      auto_increment(auto_increment_),
      b_not_null(b_not_null_),
      default_value(std::move(default_value_)),
      reserved(reserved_) {
  tk_log(1, "t_ftd::ctor2");
  tk_log(1, "\tfield name='%s', vartype=%d, size=%d, b_not_null=%d, reserved=%d", name, vartype,
         size, int(b_not_null), reserved);
}

bool t_ftd::conform_to(const t_ftd& d) const {
  tk_log(1, "t_ftd::conform_to");
  tk_log(1, "t_ftd::operator ==");
  const VARTYPE s = vartype;
  if ((s == VT_DECIMAL && d.vartype == VT_CY) || (s == VT_CY && d.vartype == VT_DECIMAL))
    return true;
  if (s == d.vartype && !(s == VT_BSTR && size != d.size)) return true;
  if (d.vartype == VT_DATE) return s == VT_DATE || (s == VT_BSTR && size == 19);
  if (is_numeric_destination(d.vartype)) return udb_is_numeric_kind(s);
  if (udb_is_string_kind(d.vartype))
    return udb_is_string_kind(s) ? size_fits(*this, d) : !ole_variant::is_binary(s);
  if (ole_variant::is_binary(d.vartype))
    return udb_is_string_kind(s) || ole_variant::is_binary(s) ? size_fits(*this, d) : true;
  return false;
}
