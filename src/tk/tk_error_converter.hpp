// Friendly texts for known error codes (the Oracle message table).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

struct tk_error_text {
  std::int32_t code;
  const char* message;
};

class tk_error_converter {
 public:
  tk_error_converter(std::size_t count, const tk_error_text* table);

  // Adds `count` rows; a null table is an internal error.
  void load_map(std::size_t count, const tk_error_text* table);
  // The friendly text for `code`, or an empty string.
  std::string convert(std::int32_t code) const;

 private:
  std::map<std::int32_t, std::string> map_;
};
