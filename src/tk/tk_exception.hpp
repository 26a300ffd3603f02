// The root of the program's exception family. Every error carries a message,
// a numeric code and a level that says how far it reaches:
//   0  the current item (a record, a table, a query) failed; go on with the next
//   1  the run cannot go on
//   2  internal error: a broken assumption of the program; the process ends
#pragma once

#include <exception>
#include <string>
#include <string_view>

class tk_exception : public std::exception {
 public:
  static constexpr int item_level = 0;
  static constexpr int run_level = 1;
  static constexpr int internal_level = 2;

  // An empty message becomes "Unknown exception".
  explicit tk_exception(std::string message, int level = 0, int code = 0);
  // A wide message is stored as UTF-8.
  explicit tk_exception(std::u16string_view message, int level = 0, int code = 0);

  const char* what() const noexcept override { return message.c_str(); }

  std::string message;
  int code;
  int level;
};
