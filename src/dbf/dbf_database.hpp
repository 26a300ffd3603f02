// A folder of DBF files seen as one database: every "*.dbf" file (any case)
// is a table named after the file in lower case. Files whose names differ
// only in case are each a table: in the order of their exact names, the
// first takes the name, later ones "name_1", "name_2" ... (skipping names
// other files hold), so that every run names them alike. The folder is only
// read.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "dbf_recordset.hpp"
#include "udb_database.hpp"

class tk_reporter;

// A table renamed because its file's name clashes with another's in case.
struct dbf_renamed_file {
  std::u16string table;  // the name it would have had
  std::string file;      // the file's own name, without folder
};

class dbf_database : public udb_database {
 public:
  // Lists the folder. A folder that cannot be listed raises a level-1
  // tk_exception naming it. `codepage` is the user's encoding for every
  // table: a driver byte (0-255) or a code page number (256 and up); 0 lets
  // each table's .cpg file or driver byte decide. Databases of other
  // folders, or of the same one, are independent of each other.
  // Each table opened reports to `reporter` (which outlives the database),
  // a missing memo file first.
  dbf_database(const std::u16string& folder, int codepage, tk_reporter& reporter);

  // The file of a table: the listed file of that name, else the name with
  // ".dbf" in the folder (found whatever its case).
  std::string get_full_table_name(const std::u16string& table) const;

  std::unique_ptr<udb_recordset> create_table(const std::u16string& name,
                                              const udb_schema& schema,
                                              const udb_indexes& indexes) override;
  // Opens a table for reading, with or without its index files; the
  // recordset is named as the table. The folder is only read: opening a
  // table to append to it is an internal error.
  std::unique_ptr<udb_recordset> get_table(const std::u16string& name, udb_access access) override;
  // The same, as the DBF table it is, for whoever reads its file's facts.
  std::unique_ptr<dbf_recordset> open_table(const std::u16string& name, dbf_recordset::index_files indexes);
  // Why `table` has a name other than its file's; nullptr when it has not.
  const dbf_renamed_file* renamed(const std::u16string& table) const;
  bool test_query(const std::u16string&) override { return false; }

  int codepage;

 private:
  std::string folder_;  // absolute, ending with "/"
  tk_reporter& reporter_;
  // Makes tables of the files (name, table name from the file).
  void add_files(const std::vector<std::pair<std::string, std::u16string>>& names);
  void add_table(const std::u16string& table, const std::string& file);

  std::map<std::u16string, std::string> files_;  // table -> full path
  std::map<std::u16string, dbf_renamed_file> renamed_;
};
