#include <cstring>

#include "tk_cmd_line.hpp"
#include "tk_mail_assertion.hpp"

ansi_cmd_line::ansi_cmd_line(int argc, const char* const* argv, const tk_cmd_option* table)
    : table_(table), next_(argv + 1), left_(argc > 0 ? argc - 1 : 0) {
  if (left_ > 0) recognise();
}

void ansi_cmd_line::next() {
  if (!has_current()) TK_ASSERTION_FAILED();
  ++next_;
  --left_;
  if (left_ > 0) recognise();
}

void ansi_cmd_line::recognise() {
  const char* argument = *next_;
  for (const tk_cmd_option* option = table_; *option->text; ++option) {
    std::size_t length = std::strlen(option->text);
    if (std::strncmp(argument, option->text, length) == 0) {
      id_ = option->id;
      value_ = argument + length;
      return;
    }
  }
  id_ = -1;
  value_.clear();
  unrecognised_.push_back(argument);
}
