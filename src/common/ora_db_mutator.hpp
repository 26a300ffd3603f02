// The customisation tree of the Oracle side: the generic mutators of the
// database layer over Oracle column types, with the data files "ora.map"
// and "ora.typ".
#pragma once

#include <memory>
#include <string>

#include "ora_native_type.hpp"
#include "udb_db_mutator.hpp"
#include "udb_field_mutator.hpp"
#include "udb_table_mutator.hpp"

class tk_reporter;
class udb_record;

inline constexpr char ora_map[] = "ora.map";
inline constexpr char ora_typ[] = "ora.typ";

using ora_field_mutator = udb_field_mutator<ora_native_type>;
using ora_table_mutator = udb_table_mutator<ora_field_mutator>;

class ora_db_mutator : public udb_db_mutator<ora_table_mutator, ora_map, ora_typ> {
 public:
  // What the type-mapping dialog starts from for a column without changes:
  // its name, default, size and the Oracle type it gets by default
  // (a logical "as is" gets CHAR(1)).
  static ora_field_mutator make_default_field(const t_ftd& column, bool logicals_as_is = false);

  // The table `name` as a run creates it: its target name, and its schema
  // and indexes customised. A logical column keeps the meaning of its
  // values (see ora_logical_column); a change the run cannot make, or one
  // for a column the table lacks, is a warning to `reporter`.
  std::u16string customise_table(const std::u16string& name, udb_schema& schema, udb_indexes& indexes,
                                 bool logicals_as_is, tk_reporter& reporter) const;
  // The record of the table `name` as customise_table made its columns;
  // null when the table's records pass unchanged.
  std::unique_ptr<udb_record> customise_record(const std::u16string& name, const udb_record& record,
                                               bool logicals_as_is) const;
};
