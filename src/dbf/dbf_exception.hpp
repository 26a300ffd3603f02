// A failure of one DBF table or memo file. Level 0: that table fails and the
// run goes on with the next one.
#pragma once

#include "tk_exception.hpp"

class dbf_exception : public tk_exception {
 public:
  static constexpr const char* bad_format = "File does not comply with DBF format";
  static constexpr const char* memo_corrupted = "Memo file is corrupted";
  static constexpr const char* memo_read_failed = "Failed to read MEMO field";

  explicit dbf_exception(std::string message, int level = item_level)
      : tk_exception(std::move(message), level) {}
};
