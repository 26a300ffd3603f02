#include "ora_logical_column.hpp"

#include <optional>

#include "tk_format.hpp"

namespace {

bool is_own_number_type(const ora_native_type& type) {
  return type.name == u"NUMBER" && type.precision == 3 && type.scale == 0;
}

bool is_number_kind(VARTYPE kind) {
  return kind == VT_I1 || kind == VT_I2 || kind == VT_I4 || kind == VT_I8 || kind == VT_R8 || kind == VT_DECIMAL;
}

// A NUMBER(p,s) holds 1 only with a digit before its point; a bare one,
// FLOAT and the binary types do.
bool holds_one(const ora_native_type& type) { return type.precision <= 0 || type.precision > type.scale; }

// The words a logical default is written in (the dialog shows "1" and "0").
std::optional<bool> logical_word(std::u16string text) {
  for (char16_t& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  if (text.size() == 3 && text.front() == u'.' && text.back() == u'.') text = text.substr(1, 1);
  if (text == u"T" || text == u"Y" || text == u"TRUE" || text == u"1" || text == u"-1") return true;
  if (text == u"F" || text == u"N" || text == u"FALSE" || text == u"0") return false;
  return std::nullopt;
}

}  // namespace

ora_logical_column::ora_logical_column(const ora_native_type& chosen, bool as_is)
    : chosen_(chosen), as_is_(as_is), plan_(choose()) {}

ora_logical_column::plan ora_logical_column::choose() const {
  if (is_own_number_type(chosen_)) return plan::own_type;
  if (as_is_ && chosen_.name == u"CHAR" && chosen_.length == 1) return plan::own_type;
  const VARTYPE kind = chosen_.vartype();
  if (kind == VT_BSTR) return plan::text;
  if (is_number_kind(kind) && !as_is_ && holds_one(chosen_)) return plan::number;
  return plan::refused;
}

ole_variant ora_logical_column::value(const ole_variant& value) const {
  if (value.get_type() != VT_BOOL) return value;
  const bool truth = value.to_bool();
  if (plan_ == plan::number) return ole_variant(truth ? 1 : 0);
  if (plan_ == plan::text) return ole_variant(std::u16string(as_is_ ? (truth ? u"T" : u"F") : (truth ? u"1" : u"0")));
  return value;
}

std::u16string ora_logical_column::default_of(const std::u16string& text) const {
  const std::optional<bool> truth = logical_word(text);
  if (!truth || (plan_ != plan::number && plan_ != plan::text)) return text;
  return value(ole_variant(*truth)).to_wstring();
}

std::string ora_logical_column::refusal() const {
  if (plan_ != plan::refused) return {};
  return tk_format("its logical values (%s) do not fit %s: the column keeps its own type",
                   as_is_ ? "'T' and 'F'" : "1 and 0", chosen_.text());
}
