// A database seen by the conversion run: a DBF folder or an Oracle schema.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "udb_name_match.hpp"
#include "udb_recordset.hpp"
#include "udb_relationships.hpp"

// What a table is opened for.
enum class udb_access {
  read,                  // its records, and the indexes its files describe
  read_without_indexes,  // its records only: no index file is looked up
  append,                // the run adds records to it
};

class udb_database {
 public:
  // `names`: how table names compare.
  udb_database(std::u16string name, udb_name_match names);
  virtual ~udb_database();
  udb_database(const udb_database&) = delete;
  udb_database& operator=(const udb_database&) = delete;

  virtual std::unique_ptr<udb_recordset> create_table(const std::u16string& name,
                                                      const udb_schema& schema,
                                                      const udb_indexes& indexes) = 0;
  // Removes the name from the table list; a name not listed is an internal
  // error. Databases override it to drop the table itself.
  virtual bool delete_tab(const std::u16string& name);
  // Opens a table for `access`; the caller owns it.
  virtual std::unique_ptr<udb_recordset> get_table(const std::u16string& name, udb_access access) = 0;
  // Runs a query; databases without queries raise the internal assertion.
  virtual std::unique_ptr<udb_recordset> query(const std::u16string& text);
  virtual bool test_query(const std::u16string& text) = 0;
  virtual const std::vector<std::u16string>& get_tables() { return tables; }
  virtual bool is_table_exist(const std::u16string& name);

  std::u16string name;
  udb_name_match table_names;
  std::map<std::u16string, std::u16string> name_map;
  std::vector<std::u16string> tables;
  udb_relationships relationships;

 protected:
  // The position of the first listed name equal to `name` by this
  // database's rule, or -1.
  int find_table(const std::u16string& name) const;
};
