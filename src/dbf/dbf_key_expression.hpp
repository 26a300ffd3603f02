// Translates an xBase key expression into the columns of an Oracle index,
// where both order the records alike: a field; character fields joined with
// "+" (a composite index in that order); UPPER(field) and LOWER(field)
// (function-based); DTOS(date field) and STR(number field[, n[, d]]), which
// sort as the field itself. Anything else is refused with the reason, never
// guessed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "udb_schema.hpp"

struct dbf_key_part {
  std::u16string column;    // as the table's schema names it
  std::u16string function;  // empty, u"UPPER" or u"LOWER"
};

class dbf_key_expression {
 public:
  // What a FOR expression keeps out of an index.
  enum class filter_kind { none, not_deleted, deleted, other };

  explicit dbf_key_expression(const udb_schema& schema) : schema_(schema) {}

  // The index columns for `expression`, or nothing with `why` set.
  std::optional<std::vector<dbf_key_part>> translate(const std::string& expression, std::string& why) const;
  static filter_kind classify_filter(const std::string& filter);

 private:
  std::optional<dbf_key_part> translate_part(const std::string& part, bool joined, std::string& why) const;
  const t_ftd* find_column(const std::string& name) const;

  const udb_schema& schema_;
};
