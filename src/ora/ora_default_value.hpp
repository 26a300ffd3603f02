// A column's default as the text after DEFAULT. Whatever its source (a
// database container, dBASE 7 field properties, a profile, an existing
// table), the default's text is read as a value of the column's kind and
// the SQL is written here from that value: a number from its checked
// digits, a date by the date formatter, text as a quoted literal. Text that
// is no such value is refused with the reason, never pasted into SQL.
#pragma once

#include <string>

#include "t_ftd.hpp"
#include "udb_custom_conversion.hpp"

class ora_default_value {
 public:
  // `rules`: the run's conversion rules (null: none); a rule that claims
  // the column decides what its logical default is stored as.
  explicit ora_default_value(const t_ftd& column, const udb_custom_conversion* rules = nullptr);

  // The text after DEFAULT; empty when the column gets no default.
  const std::u16string& sql() const { return sql_; }
  // Why the column's default text was refused or changed, for the user;
  // empty when it was taken as it stands (or there was none).
  const std::string& problem() const { return problem_; }
  // A number column's default as its checked digits; empty for none and
  // for columns of other kinds.
  const std::u16string& number_text() const { return number_; }

 private:
  void take_logical(const std::u16string& text, const t_ftd& column, const udb_custom_conversion* rules);
  void take_integer(const std::u16string& text, const t_ftd& column);
  void take_number(const std::u16string& text, const t_ftd& column);
  void take_date(const std::u16string& text);
  void take_text(std::u16string text, const t_ftd& column);
  void take_binary(const std::u16string& text);
  void refuse(const std::u16string& text, const char* why);

  std::u16string sql_;
  std::u16string number_;
  std::string problem_;
};
