// The per-user settings store. On Windows it is the registry itself, under
// HKEY_CURRENT_USER: reads query it, save() writes the values set since the
// store was made; a path "HKEY_CURRENT_USER\Software\Other" puts the keys
// under that key instead. Elsewhere it is a settings file standing in for
// it: keys holding typed values (REG_DWORD, REG_SZ), kept as text in a
// format close to a registry export:
//
//   [Software\Tolvane\Vesper]
//   "Name"=dword:00000005
//   "Other"="text with \\, \" and \n escaped"
//
// Reading never fails: a missing, unreadable or damaged file, and any line
// that does not parse, read as absent values. Saving writes a temporary file
// with mode 0600 beside the store and renames it over the store, so a crash
// leaves either the old or the new file.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct tk_reg_value {
  static constexpr std::uint32_t reg_sz = 1;
  static constexpr std::uint32_t reg_dword = 4;

  std::uint32_t type = reg_dword;
  std::uint32_t dword = 0;
  std::u16string text;
};

class tk_reg_store {
 public:
  using values = std::map<std::string, tk_reg_value>;

  // Loads what can be read of the file at `path`.
  explicit tk_reg_store(std::string path);

  // The value, or null when the key or the value is absent.
  const tk_reg_value* find(const std::string& key, const std::string& name) const;
  void set(const std::string& key, const std::string& name, tk_reg_value value);
  // 0 on success, else the errno of the failing step.
  int save() const;

  // $XDG_CONFIG_HOME/Tolvane/Vesper.reg, or ~/.config/Tolvane/Vesper.reg;
  // empty when neither folder is known. On Windows "HKEY_CURRENT_USER".
  static std::string default_path();
  // $HOME, else the account's home in the password database; empty when
  // neither is an absolute path. On Windows the user's profile folder.
  static std::string home_folder();

 private:
  void load();
  void parse_line(const std::string& line, std::string& key);
  std::string serialize() const;

  std::string path_;
  // On Windows, what was read from the registry and what is to be written.
  mutable std::map<std::string, values> keys_;
};
