// A folder of DBF files seen as one database: every "*.dbf" file (any case)
// is a table named after the file in lower case. The folder is only read.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tk_singleton.hpp"
#include "udb_database.hpp"

class dbf_database : public udb_database, public tk_singleton<dbf_database> {
 public:
  // Lists the folder. A folder that cannot be listed raises a level-1
  // tk_exception naming it. `codepage` is the user's language-driver choice
  // for every table (0: each table's own byte).
  dbf_database(const std::u16string& folder, int mode, std::uint8_t codepage);

  // The file of a table: the listed file of that name, else the name with
  // ".dbf" in the folder (found whatever its case).
  std::string get_full_table_name(const std::u16string& table) const;

  std::unique_ptr<udb_recordset> create_table(const std::u16string& name,
                                              const udb_schema& schema,
                                              const udb_indexes& indexes) override;
  // Opens a table. Two files whose names differ only in case are two tables
  // of the same name: the first opens, the second raises an error of its own
  // table, so that no file is read twice.
  std::unique_ptr<udb_recordset> get_table(const std::u16string& name, int mode) override;
  bool test_query(const std::u16string&) override { return false; }

  std::uint8_t codepage;

 private:
  std::string folder_;  // absolute, ending with "/"
  std::map<std::u16string, std::vector<std::string>> files_;
  std::map<std::u16string, std::size_t> opened_;
};
