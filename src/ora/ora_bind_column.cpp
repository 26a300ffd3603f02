#include "ora_bind_column.hpp"

#include <cstring>

#include "ora_engine.hpp"

namespace {

constexpr std::size_t length_prefix = 4;  // SQLT_LVC and SQLT_LVB

}  // namespace

ora_bind_column::ora_bind_column(std::size_t position, form kind, bool national)
    : position_(position), kind_(kind), national_(national) {}

void ora_bind_column::add(std::string value) {
  if (value.size() > widest_) widest_ = value.size();
  values_.push_back(std::move(value));
  indicators_.push_back(0);
}

void ora_bind_column::add_null() {
  values_.emplace_back();
  indicators_.push_back(-1);
}

void ora_bind_column::clear() {
  values_.clear();
  indicators_.clear();
  widest_ = 0;
  array_.clear();
  array_.shrink_to_fit();  // a batch of large memos must not keep its memory
  lengths_.clear();
}

std::size_t ora_bind_column::element_size_for(std::size_t widest) const {
  switch (kind_) {
    case form::number: return oci::number_bytes;
    case form::date: return sizeof(oci::date);
    case form::long_text: case form::long_binary: return length_prefix + (widest ? widest : 2);
    default: return widest ? widest : 2;
  }
}

ub2 ora_bind_column::type() const {
  switch (kind_) {
    case form::number: return oci::sqlt_vnu;
    case form::date: return oci::sqlt_odt;
    case form::text: return oci::sqlt_chr;
    case form::binary: return oci::sqlt_bin;
    case form::long_text: return oci::sqlt_lvc;
    case form::long_binary: return oci::sqlt_lvb;
  }
  return oci::sqlt_chr;
}

void ora_bind_column::bind(OCIStmt* statement, const std::u16string& placeholder) {
  const std::size_t element = element_size();
  array_.assign(element * values_.size(), 0);
  lengths_.assign(values_.size(), 0);
  for (std::size_t row = 0; row < values_.size(); ++row) {
    char* slot = array_.data() + element * row;
    const std::string& value = values_[row];
    if (is_long()) {
      const auto bytes = static_cast<ub4>(value.size());
      std::memcpy(slot, &bytes, length_prefix);
      std::memcpy(slot + length_prefix, value.data(), value.size());
    } else {
      std::memcpy(slot, value.data(), value.size());
      lengths_[row] = static_cast<ub2>(value.size());
    }
  }
  ora_engine& engine = ora_engine::instance();
  OCIBind* bind = nullptr;
  const bool sized = kind_ == form::text || kind_ == form::binary;
  engine.check_err(engine.oci().OCIBindByName(statement, &bind, engine.error_handle(),
                                              reinterpret_cast<const OraText*>(placeholder.c_str()),
                                              static_cast<sb4>(placeholder.size() * 2), array_.data(),
                                              static_cast<sb4>(element), type(), indicators_.data(),
                                              sized ? lengths_.data() : nullptr, nullptr, 0, nullptr,
                                              oci::default_mode),
                   "OCIBindByName");
  if (!national_) return;
  ub1 form_nchar = oci::sqlcs_nchar;
  engine.check_err(engine.oci().OCIAttrSet(bind, oci::htype_bind, &form_nchar, 0, oci::attr_charset_form,
                                           engine.error_handle()),
                   "OCIAttrSet");
}
