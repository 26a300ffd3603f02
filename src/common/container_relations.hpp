// The persistent relations of a database container, made foreign keys once
// every table of the run is loaded (a parent may come after its child). A
// relation whose tables or tags did not reach Oracle, and one Oracle refuses
// (child rows without a parent: ORA-02298), is a warning of the child table;
// the run goes on.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "dbf_container.hpp"
#include "udb_indexes.hpp"
#include "udb_schema.hpp"

class ora_database;
class tk_reporter;
class udb_recordset;

class container_relations {
 public:
  // A table this run created and loaded from the source table `source_name`,
  // with the relations its container gives it as the child.
  void table_loaded(const std::u16string& source_name, const std::u16string& target_table,
                    const udb_recordset& table, std::vector<dbf_container::relation> relations);
  void build(ora_database& target, tk_reporter& reporter) const;

 private:
  struct loaded {
    std::u16string source, target;
    udb_schema schema;
    udb_indexes indexes;
    std::vector<dbf_container::relation> relations;
  };
  void build(ora_database& target, tk_reporter& reporter, const loaded& child,
             const dbf_container::relation& relation) const;

  std::map<std::u16string, loaded> tables_;  // by upper-cased source name
};
