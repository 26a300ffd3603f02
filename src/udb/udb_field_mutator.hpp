// The user's change to one column: a new name, another target type (with
// length, precision, scale, default), or its removal. NativeType is the
// target's type class: it has name, length, scale, precision, text() and
// vartype().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ole_cast_exception.hpp"
#include "t_ftd.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "udb_field.hpp"
#include "udb_properties.hpp"

template <typename NativeType>
class udb_field_mutator : public udb_properties {
 public:
  static constexpr std::uint32_t changed = 1;
  static constexpr std::uint32_t deleted = 2;

  properties& export_properties() {
    properties_.clear();
    properties_[u"new_name"] = new_name;
    properties_[u"type"] = type.text();
    properties_[u"default_value"] = default_value;
    properties_[u"character_set"] = character_set;
    properties_[u"length"] = tk_wformat(u"%d", length);
    properties_[u"scale"] = tk_wformat(u"%d", scale);
    properties_[u"precision"] = tk_wformat(u"%d", precision);
    return properties_;
  }

  // A copy of the descriptor declared with this mutator's type text.
  std::unique_ptr<t_ftd> make_descriptor(const t_ftd* source) const {
    if (!source) return nullptr;
    auto copy = std::make_unique<t_ftd>(*source);
    copy->native_type = type.text();
    return copy;
  }

  // Chooses the target type from its text ("NUMBER(12,2)", "NVARCHAR2"):
  // the values of the column then take the kind of that type.
  void set_type(const std::u16string& text, std::int32_t new_length) {
    type = NativeType::parse(text);
    if (new_length > 0) type.length = new_length;
    length = type.length;
    precision = type.precision;
    scale = type.scale;
    vartype = type.vartype();
    if (vartype == VT_DECIMAL)
      reserved = static_cast<std::uint32_t>(precision) << 8 | static_cast<std::uint32_t>(scale);
    else
      reserved = vartype == VT_DATE ? (text.rfind(u"TIMESTAMP", 0) == 0 ? 1u : 2u) : 0u;
  }

  void modify1(t_ftd& column) const {
    tk_log(1, "udb_field_mutator::modify1(%s)", column.name);
    if (!new_name.empty()) column.name = new_name;
    if (vartype != VT_NULL) column.vartype = vartype;
    column.native_type = type.text();
    tk_log(1, "\tf.native_type=%s", column.native_type);
    column.size = static_cast<std::uint32_t>(length < 0 ? 0 : length);
    tk_log(1, "\tf.size=%d", column.size);
    column.reserved = reserved;
    column.default_value = default_value.empty() ? ole_variant() : ole_variant(default_value);
  }

  // Converts a value to the chosen kind; one that cannot be converted
  // loses only its record. A number the source holds exactly (a currency,
  // a decimal, a 64-bit integer) keeps its kind for a type of doubles: the
  // target takes its every digit, where a double would keep 15.
  void modify2(udb_field& field) const {
    tk_log(1, "udb_field_mutator::modify2(%s)", field.name);
    if (!new_name.empty()) field.name = new_name;
    if (vartype != VT_NULL && !(vartype == VT_R8 && is_exact_number(field.get_type()))) {
      try {
        field.change_type(vartype);
      } catch (const ole_cast_exception&) {
        throw tk_exception("Data conversion is not supported for given type mapping");
      }
    }
    field.size = length;
  }

  static bool is_exact_number(VARTYPE kind) {
    return kind == VT_CY || kind == VT_DECIMAL || kind == VT_I8 || kind == VT_UI8;
  }

  std::u16string new_name;
  VARTYPE vartype = VT_NULL;
  std::uint32_t reserved = 0;
  NativeType type;
  std::u16string default_value;
  std::u16string character_set;
  std::int32_t length = 0;
  std::int32_t scale = 0;
  std::int32_t precision = 0;
  std::uint32_t status = 0;
};
