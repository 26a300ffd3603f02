// Owner-qualified object names ("SALES"."ORDERS") in a statement. The users
// of a service share one namespace of object names here, so a qualifier only
// has to name a user of the service: it is taken out of the statement and
// the objects the statement creates belong to that user.
#pragma once

#include <string>
#include <vector>

#include "emu_lexer.hpp"
#include "emu_sqlite.hpp"

namespace ociemu {

class emu_owner_resolver {
 public:
  // Removes every "OWNER." before an object name (after TABLE, INTO, FROM,
  // JOIN, ON, UPDATE, INDEX, USING or a comma in a FROM list); returns the owner
  // named first, empty when none is. An owner that is no user of the
  // service is ORA-01918 after TABLE, INTO and INDEX. SYS before a
  // dictionary view is left to the rewriter.
  static std::u16string strip(std::vector<emu_token>& tokens, emu_sqlite& db);
};

}  // namespace ociemu
