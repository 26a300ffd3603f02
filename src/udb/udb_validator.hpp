// The generic checker of target names: length limit, characters the target
// refuses, names it reserves, names already taken; and the maker of a safe
// name from a source name. Concrete validators configure the lists and may
// override the three virtual operations.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class udb_validator {
 public:
  // A maximum length of 0 means no limit.
  explicit udb_validator(std::uint32_t max_length);
  virtual ~udb_validator() = default;

  virtual bool is_acceptable(const std::u16string& name);
  virtual bool is_duplicated(const std::u16string& name);
  // An acceptable, unused name made from `name`: cut to the limit, illegal
  // characters replaced by "_", then numbered 00000 to 99999 if need be.
  // The result is not recorded: callers pass it to add_existing_name.
  virtual std::u16string get_safe_name(const std::u16string& name);

  void add_existing_name(const std::u16string& name);
  void add_mapped_pair(const std::u16string& name, const std::u16string& mapped);

  std::uint32_t max_length() const { return max_length_; }

  std::map<std::u16string, std::u16string> mapped_pairs;
  std::vector<char16_t> illegal_characters;
  std::vector<std::u16string> restricted_names;
  std::vector<std::u16string> existing_names;

 protected:
  // The length of a name as the maximum length counts it (UTF-16 units
  // here), and the longest start of a name within such a length.
  virtual std::size_t name_length(const std::u16string& name) const { return name.size(); }
  virtual std::u16string cut_name(const std::u16string& name, std::size_t length) const;

 private:
  bool is_free(const std::u16string& name);

  std::uint32_t max_length_;
};

// The first `units` UTF-16 code units of a name, one fewer when the cut would
// split a surrogate pair: a shortened name never ends in half a character.
std::u16string udb_cut_name(const std::u16string& name, std::size_t units);
