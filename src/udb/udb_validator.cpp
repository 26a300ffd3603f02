#include "udb_validator.hpp"

#include "tk_case.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

namespace {
constexpr int max_number = 99999;
}  // namespace

std::u16string udb_cut_name(const std::u16string& name, std::size_t units) {
  if (name.size() <= units) return name;
  if (units > 0 && name[units - 1] >= 0xD800 && name[units - 1] <= 0xDBFF) --units;
  return name.substr(0, units);
}

std::u16string udb_validator::cut_name(const std::u16string& name, std::size_t length) const {
  return udb_cut_name(name, length);
}

udb_validator::udb_validator(std::uint32_t max_length) : max_length_(max_length) {
  tk_log(2, "udb_validator::ctor");
}

bool udb_validator::is_acceptable(const std::u16string& name) {
  tk_log(1, "udb_validator::is_acceptable(%s)", name);
  if (max_length_ != 0 && name_length(name) > max_length_) {
    tk_log(1, "The name is too long");
    return false;
  }
  for (const std::u16string& restricted : restricted_names) {
    if (tk_loose_equal(name, restricted)) {
      tk_log(1, "The name is restricted");
      return false;
    }
  }
  for (char16_t c : illegal_characters) {
    if (name.find(c) != std::u16string::npos) {
      tk_log(1, "The name contains illegal: %c", c);
      return false;
    }
  }
  return true;
}

bool udb_validator::is_duplicated(const std::u16string& name) {
  tk_log(1, "udb_validator::is_duplicated(%s)", name);
  for (const std::u16string& existing : existing_names) {
    tk_log(1, "Processing %s", existing);
    if (tk_loose_equal(name, existing)) return true;
  }
  return false;
}

bool udb_validator::is_free(const std::u16string& name) {
  return is_acceptable(name) && !is_duplicated(name);
}

std::u16string udb_validator::get_safe_name(const std::u16string& name) {
  tk_log(1, "udb_validator::get_safe_name(%s)", name);
  std::u16string safe = name;
  if (max_length_ != 0 && name_length(safe) > max_length_) safe = cut_name(safe, max_length_ - 1);
  for (char16_t c : illegal_characters)
    for (char16_t& unit : safe)
      if (unit == c) unit = u'_';
  if (is_free(safe)) return safe;
  // Room for five digits. Limits under 6 leave no room for a stem at all.
  if (max_length_ != 0 && name_length(safe) + 5 > max_length_)
    safe = cut_name(safe, max_length_ > 6 ? max_length_ - 6 : 0);
  for (int n = 0; n <= max_number; ++n) {
    std::u16string candidate = safe + tk_wformat(u"%05d", n);
    if (is_free(candidate)) return candidate;
  }
  TK_ASSERTION_FAILED();
}

void udb_validator::add_existing_name(const std::u16string& name) {
  tk_log(1, "udb_validator::add_existing_name(%s)", name);
  existing_names.push_back(name);
}

void udb_validator::add_mapped_pair(const std::u16string& name, const std::u16string& mapped) {
  tk_log(1, "udb_validator::add_mapped_pair(%s,%s)", name, mapped);
  mapped_pairs[name] = mapped;
}
