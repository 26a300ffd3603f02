// The encoding page's logic: the code pages the user can choose, each once
// and with its number, and the one chosen.
#pragma once

#include <map>
#include <string>
#include <vector>

struct vesper_settings;

class encoding_model {
 public:
  struct choice {
    std::string label;  // "Russian MS-DOS (866)"
    int code;           // the setting: a driver byte, or a code page number
  };

  explicit encoding_model(vesper_settings& settings);

  const std::vector<choice>& choices() const { return choices_; }
  // The row of the stored setting (the first, "Default", when unknown).
  void load();
  void store() const;
  void next() const { store(); }
  void back() const { store(); }
  // The row of setting `code`; 0 when no row has it.
  std::size_t row_of(int code) const;

  std::size_t row = 0;

 private:
  vesper_settings& settings_;
  std::vector<choice> choices_;
  // Driver bytes that read alike are listed once: the byte -> the listed one.
  std::map<int, int> same_as_;
};
