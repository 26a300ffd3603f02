// The persistent relations of a database container, made foreign keys once
// every table of the run is loaded (a parent may come after its child). A
// relation whose tables or tags did not reach Oracle, and one Oracle refuses
// (child rows without a parent), is a warning of the child table;
// the run goes on.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "udb_indexes.hpp"
#include "udb_schema.hpp"
#include "udb_table_relation.hpp"

class tk_reporter;
class udb_recordset;
class udb_target;

class container_relations {
 public:
  // A table this run created and loaded from the source table `source_name`,
  // with the relations its container gives it as the child.
  void table_loaded(const std::u16string& source_name, const std::u16string& target_table,
                    const udb_recordset& table, std::vector<udb_table_relation> relations);
  void table_loaded(const std::u16string& source_name, const std::u16string& target_table, const udb_schema& schema,
                    const udb_indexes& indexes, std::vector<udb_table_relation> relations);
  void build(udb_target& target, tk_reporter& reporter) const;

 private:
  struct loaded {
    std::u16string source, target;
    udb_schema schema;
    udb_indexes indexes;
    std::vector<udb_table_relation> relations;
  };
  void build(udb_target& target, tk_reporter& reporter, const loaded& child,
             const udb_table_relation& relation) const;

  std::map<std::u16string, loaded> tables_;  // by upper-cased source name
};
