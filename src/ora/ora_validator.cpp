#include "ora_validator.hpp"

#include "tk_case.hpp"
#include "tk_logger.hpp"

namespace {
bool is_letter(char16_t c) { return tk_is_alpha(c); }
}  // namespace

ora_validator::ora_validator() : udb_validator(max_name_length) {
  tk_log(1, "ora_validator::ctor");
}

bool ora_validator::is_name_character(char16_t c) {
  return tk_is_alnum(c) || c == u'_' || c == u'$' || c == u'#';
}

bool ora_validator::is_acceptable(const std::u16string& name) {
  tk_log(1, "ora_validator::is_acceptable(%s)", name);
  if (name.empty() || name.size() > max_name_length || !is_letter(name[0])) return false;
  for (char16_t c : name) {
    if (!is_name_character(c)) {
      tk_log(2, "Name contains invalid symbol: '%c'", c);
      return false;
    }
  }
  for (const std::u16string& restricted : restricted_names)
    if (tk_loose_equal(name, restricted)) return false;
  return true;
}

std::u16string ora_validator::get_safe_name(const std::u16string& name) {
  tk_log(1, "ora_validator::get_safe_name(%s)", name);
  std::u16string safe = !name.empty() && is_letter(name[0]) ? name : u"A" + name;
  if (safe.size() > max_name_length) safe = udb_cut_name(safe, max_name_length - 1);
  for (char16_t& c : safe)
    if (!is_name_character(c)) c = u'_';
  return udb_validator::get_safe_name(safe);
}
