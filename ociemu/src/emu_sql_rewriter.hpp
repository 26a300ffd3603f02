// Turns an Oracle query (or UPDATE / DELETE) into SQLite's dialect: unquoted names upper-cased,
// bind placeholders numbered, ROWID literals decoded, SYSDATE and sequences mapped to the
// emulation's functions, FOR UPDATE taken off and noted.
#pragma once

#include <string>
#include <vector>

#include "emu_lexer.hpp"

namespace ociemu {

struct emu_rewritten_sql {
  std::string sql;                      // UTF-8, for SQLite
  std::vector<std::u16string> params;   // placeholder names in order of appearance
  bool for_update = false;
  std::size_t select_list_end = std::string::npos;  // offset of the top-level FROM
};

class emu_sql_rewriter {
 public:
  // Raises ORA-01410 for a ROWID literal that is no ROWID, ORA-00911 for a trailing ";".
  static emu_rewritten_sql rewrite(const std::vector<emu_token>& tokens);
};

}  // namespace ociemu
