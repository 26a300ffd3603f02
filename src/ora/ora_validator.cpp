#include "ora_validator.hpp"

#include "tk_case.hpp"
#include "tk_logger.hpp"

namespace {
bool is_letter(char16_t c) { return tk_is_alpha(c); }
}  // namespace

ora_validator::ora_validator(const ora_server_limits& limits)
    : udb_validator(limits.name_bytes()), limits_(limits) {
  tk_log(1, "ora_validator::ctor");
}

bool ora_validator::is_name_character(char16_t c) {
  return tk_is_alnum(c) || c == u'_' || c == u'$' || c == u'#';
}

std::size_t ora_validator::name_length(const std::u16string& name) const {
  return limits_.byte_length(name);
}

std::u16string ora_validator::cut_name(const std::u16string& name, std::size_t bytes) const {
  return limits_.cut(name, bytes);
}

bool ora_validator::is_acceptable(const std::u16string& name) {
  tk_log(1, "ora_validator::is_acceptable(%s)", name);
  if (name.empty() || name_length(name) > max_length() || !is_letter(name[0])) return false;
  for (char16_t c : name) {
    if (!is_name_character(c)) {
      tk_log(2, "Name contains invalid symbol: '%c'", c);
      return false;
    }
  }
  if (!limits_.can_hold(name)) {
    tk_log(2, "Name '%s' has characters the database character set %s cannot hold", name, limits_.charset());
    return false;
  }
  for (const std::u16string& restricted : restricted_names)
    if (tk_loose_equal(name, restricted)) return false;
  return true;
}

std::u16string ora_validator::get_safe_name(const std::u16string& name) {
  tk_log(1, "ora_validator::get_safe_name(%s)", name);
  // First, so that a name of foreign letters still starts with a letter.
  std::u16string safe = limits_.replace_foreign(name);
  if (safe.empty() || !is_letter(safe[0])) safe = u"A" + safe;
  if (name_length(safe) > max_length()) safe = cut_name(safe, max_length() - 1);
  for (char16_t& c : safe)
    if (!is_name_character(c)) c = u'_';
  return udb_validator::get_safe_name(safe);
}
