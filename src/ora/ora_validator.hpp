// Oracle's rules for a name used as a quoted identifier: at most 30
// characters, a letter first, then letters, digits, "_", "$" and "#".
#pragma once

#include "udb_validator.hpp"

class ora_validator : public udb_validator {
 public:
  static constexpr std::uint32_t max_name_length = 30;

  ora_validator();

  bool is_acceptable(const std::u16string& name) override;
  // Prefixes "A" when the first character is no letter, cuts to 29
  // characters, replaces other characters by "_", then makes it unique.
  std::u16string get_safe_name(const std::u16string& name) override;

  static bool is_name_character(char16_t c);
};
