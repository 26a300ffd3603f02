// Oracle's rules for a name used as a quoted identifier: within the server's
// limit in bytes of the database character set, only characters that set
// can hold, a letter first, then letters, digits, "_", "$" and "#".
#pragma once

#include "ora_server_limits.hpp"
#include "udb_validator.hpp"

class ora_validator : public udb_validator {
 public:
  explicit ora_validator(const ora_server_limits& limits = ora_server_limits());

  bool is_acceptable(const std::u16string& name) override;
  // Replaces what the database character set cannot hold by "_", prefixes
  // "A" when the first character is no letter, cuts to one byte under the
  // limit, replaces other characters by "_", then makes it unique.
  std::u16string get_safe_name(const std::u16string& name) override;

  static bool is_name_character(char16_t c);
  const ora_server_limits& limits() const { return limits_; }

 protected:
  std::size_t name_length(const std::u16string& name) const override;
  std::u16string cut_name(const std::u16string& name, std::size_t bytes) const override;

 private:
  ora_server_limits limits_;
};
