// The foreign keys of a database, in catalog order.
#pragma once

#include <string>
#include <vector>

struct udb_relationship {
  std::u16string name;
  std::u16string table;             // the referencing (owning) table
  std::u16string referenced_table;
  std::u16string delete_rule;       // as the catalog gives it, e.g. "ON DELETE CASCADE"
  std::u16string update_rule;
  std::vector<std::u16string> fields;
  std::vector<std::u16string> referenced_fields;
};

class udb_relationships {
 public:
  // The foreign key of that name, ignoring case; a missing one is an
  // internal error.
  udb_relationship& get_index(std::u16string_view name);
  bool is_acceptable_name(std::u16string_view name) const;

  std::vector<udb_relationship> list;
};
