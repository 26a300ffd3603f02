// The customisation tree of the Oracle side: the generic mutators of the
// database layer over Oracle column types, with the data files "ora.map"
// and "ora.typ".
#pragma once

#include "ora_native_type.hpp"
#include "udb_db_mutator.hpp"
#include "udb_field_mutator.hpp"
#include "udb_table_mutator.hpp"

inline constexpr char ora_map[] = "ora.map";
inline constexpr char ora_typ[] = "ora.typ";

using ora_field_mutator = udb_field_mutator<ora_native_type>;
using ora_table_mutator = udb_table_mutator<ora_field_mutator>;

class ora_db_mutator : public udb_db_mutator<ora_table_mutator, ora_map, ora_typ> {
 public:
  // What the type-mapping dialog starts from for a column without changes:
  // its name, default, size and the Oracle type it gets by default.
  static ora_field_mutator make_default_field(const t_ftd& column);
};
