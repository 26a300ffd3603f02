#include "ora_bind_column.hpp"

#include <algorithm>
#include <cstring>

#include "ora_engine.hpp"
#include "ora_exception.hpp"
#include "ora_stmt.hpp"
#include "ora_timestamp.hpp"

namespace {

constexpr std::size_t length_prefix = 4;  // SQLT_LVC and SQLT_LVB

// Oracle's longest VARCHAR2 or RAW value (MAX_STRING_SIZE = STANDARD). A bind that may carry
// more is a LONG bind, and one that may not is an ordinary bind even into a LOB column:
// Oracle refuses a bind that may exceed 4,000 bytes after an ordinary bind into a LOB column
// (ORA-24816), so every LOB data bind reserves more than this, whatever its batch holds.
constexpr std::size_t standard_string_bytes = 4000;

}  // namespace

ora_bind_column::ora_bind_column(std::size_t position, form kind, bool national)
    : position_(position), kind_(kind), national_(national) {}

void ora_bind_column::add(std::string_view value) {
  if (value.size() > widest_) widest_ = value.size();
  values_.append(value);
  ends_.push_back(values_.size());
  indicators_.push_back(0);
}

void ora_bind_column::add_null() {
  ends_.push_back(values_.size());
  indicators_.push_back(-1);
}

// The buffers keep their memory for the next batch unless a batch of large
// memos grew them: that memory goes back.
void ora_bind_column::clear() {
  constexpr std::size_t kept_bytes = 4u << 20;
  values_.clear();
  if (values_.capacity() > kept_bytes) values_.shrink_to_fit();
  ends_.clear();
  indicators_.clear();
  widest_ = 0;
  if (array_.capacity() > kept_bytes) {
    array_.clear();
    array_.shrink_to_fit();
  }
  lengths_.clear();
}

std::size_t ora_bind_column::element_size_for(std::size_t widest) const {
  switch (kind_) {
    case form::number: return oci::number_bytes;
    case form::date: return sizeof(oci::date);
    case form::timestamp: return sizeof(OCIDateTime*);
    case form::long_text: case form::long_binary:
      return length_prefix + std::max(widest, standard_string_bytes + 1);
    default: return widest ? widest : 2;
  }
}

ub2 ora_bind_column::type() const {
  switch (kind_) {
    case form::number: return oci::sqlt_vnu;
    case form::date: return oci::sqlt_odt;
    case form::timestamp: return oci::sqlt_timestamp;
    case form::text: return oci::sqlt_chr;
    case form::binary: return oci::sqlt_bin;
    case form::long_text: return oci::sqlt_lvc;
    case form::long_binary: return oci::sqlt_lvb;
  }
  return oci::sqlt_chr;
}

void ora_bind_column::bind(ora_stmt& statement, const std::u16string& placeholder) {
  const std::size_t element = element_size();
  const std::size_t count = rows();
  ora_engine& engine = statement.engine();
  // Every slot's bytes past its value are never read (lengths and length
  // prefixes bound them): the array is not cleared first.
  array_.resize(element * count);
  lengths_.assign(count, 0);
  if (kind_ == form::timestamp)
    lay_out_timestamps(engine);
  else
    lay_out_values(element);
  OCIBind* bind = nullptr;
  const bool sized = kind_ == form::text || kind_ == form::binary;
  engine.check_err(engine.oci().OCIBindByName(statement.handle(), &bind, engine.error_handle(),
                                              reinterpret_cast<const OraText*>(placeholder.c_str()),
                                              static_cast<sb4>(placeholder.size() * 2), array_.data(),
                                              static_cast<sb4>(element), type(), indicators_.data(),
                                              sized ? lengths_.data() : nullptr, nullptr, 0, nullptr,
                                              oci::default_mode),
                   "OCIBindByName");
  if (sized) limit_server_size(engine, bind, element);
  if (!national_) return;
  ub1 form_nchar = oci::sqlcs_nchar;
  engine.check_err(engine.oci().OCIAttrSet(bind, oci::htype_bind, &form_nchar, 0, oci::attr_charset_form,
                                           engine.error_handle()),
                   "OCIAttrSet");
}

void ora_bind_column::lay_out_values(std::size_t element) {
  for (std::size_t row = 0; row < rows(); ++row) {
    char* slot = array_.data() + element * row;
    const std::string_view value = value_of(row);
    if (is_long()) {
      const auto bytes = static_cast<ub4>(value.size());
      std::memcpy(slot, &bytes, length_prefix);
      std::memcpy(slot + length_prefix, value.data(), value.size());
    } else {
      std::memcpy(slot, value.data(), value.size());
      lengths_[row] = static_cast<ub2>(value.size());
    }
  }
}

std::string_view ora_bind_column::value_of(std::size_t row) const {
  const std::size_t begin = row ? ends_[row - 1] : 0;
  return std::string_view(values_.data() + begin, ends_[row] - begin);
}

// Each row's slot points to a descriptor holding its value (the OCI
// Programmer's Guide binds SQLT_TIMESTAMP through OCIDateTime descriptors,
// their fraction in nanoseconds); a NULL row's slot points to one too.
void ora_bind_column::lay_out_timestamps(ora_engine& engine) {
  const std::size_t count = rows();
  while (timestamps_.size() < count) timestamps_.push_back(engine.new_descriptor(oci::dtype_timestamp));
  for (std::size_t row = 0; row < count; ++row) {
    OCIDateTime* descriptor = timestamps_[row].as<OCIDateTime>();
    std::memcpy(array_.data() + sizeof descriptor * row, &descriptor, sizeof descriptor);
    if (is_null(row)) continue;
    const std::optional<ora_timestamp> t = ora_timestamp::of(value_of(row));
    // The cell writer made these bytes: they are a timestamp.
    if (!t) throw ora_exception(1858, u"ORA-01858: a non-numeric character was found where a numeric was expected");
    engine.check_err(engine.oci().OCIDateTimeConstruct(engine.environment(), engine.error_handle(), descriptor,
                                                       static_cast<sb2>(t->year), static_cast<ub1>(t->month),
                                                       static_cast<ub1>(t->day), static_cast<ub1>(t->hour),
                                                       static_cast<ub1>(t->minute), static_cast<ub1>(t->second),
                                                       t->nanosecond, nullptr, 0),
                     "OCIDateTimeConstruct");
  }
}

// OCI_ATTR_MAXDATA_SIZE, as ODPI-C sets it on its variable-length binds: the most bytes a
// value takes on the server. Text converted from UTF-16 may take more bytes there than here,
// and a bind the server thinks may exceed 4,000 bytes is a LONG bind, which a VARCHAR2,
// NVARCHAR2 or RAW column refuses (ORA-01461). No value of those columns takes more than
// 4,000 bytes on the server; binary values take there what they take here.
void ora_bind_column::limit_server_size(ora_engine& engine, OCIBind* bind, std::size_t element) const {
  ub4 most = static_cast<ub4>(kind_ == form::binary ? std::min(element, standard_string_bytes) : standard_string_bytes);
  engine.check_err(engine.oci().OCIAttrSet(bind, oci::htype_bind, &most, 0, oci::attr_maxdata_size,
                                           engine.error_handle()),
                   "OCIAttrSet");
}
