// Values of the expressions an INSERT or a DEFAULT clause may hold: literals, binds,
// TO_DATE, HEXTORAW, EMPTY_CLOB(), EMPTY_BLOB(), SYSDATE, sequences and concatenation.
#pragma once

#include <string>

#include "emu_statements.hpp"
#include "emu_value.hpp"

namespace ociemu {

class emu_connection;

// Supplies the value bound to a placeholder, by name and by its position among the
// statement's placeholders (0-based). Raises ORA-01008 when nothing is bound there.
class emu_bind_source {
 public:
  virtual ~emu_bind_source() = default;
  virtual emu_value value(const std::u16string& name, std::size_t occurrence) = 0;
};

class emu_evaluator {
 public:
  emu_evaluator(emu_connection& connection, emu_bind_source* binds)
      : connection_(connection), binds_(binds) {}

  emu_value evaluate(const emu_expr& e);
  // A column's DEFAULT text, evaluated for a row that does not name the column.
  static emu_value evaluate_default(emu_connection& connection, const std::u16string& text);

 private:
  emu_value call(const emu_expr& e);
  emu_value argument(const emu_expr& e, std::size_t i);

  emu_connection& connection_;
  emu_bind_source* binds_;
  std::size_t next_param_ = 0;
};

}  // namespace ociemu
