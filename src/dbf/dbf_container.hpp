// A Visual FoxPro database container (.dbc, with its .dct memo file): itself
// a DBF table, one record per object (OBJECTID, PARENTID, OBJECTTYPE,
// OBJECTNAME, ...). A table that belongs to one names it after its field
// descriptors; the container's "Field" objects of that table, in record
// order, carry the long field names its header has cut to 10 characters.
#pragma once

#include <string>
#include <vector>

class dbf_recordset;

class dbf_container {
 public:
  // Reads the objects of the container file; a file that is no container
  // raises tk_exception.
  explicit dbf_container(const std::string& path);

  // The long field names of the table `table` (its name in the container,
  // ignoring case) in field order; empty when the container lists no such table.
  std::vector<std::u16string> field_names(const std::u16string& table) const;

  // Gives `table` the long field names of its container, when it belongs to
  // one. A container that is missing, damaged or does not list the table is
  // a warning of `shown_name` (its short names stay).
  static void apply(dbf_recordset& table, const std::string& shown_name);
  // The container file `link` names for the table file `table_file`; empty
  // when it is not there.
  static std::string find(const std::string& table_file, const std::string& link);

 private:
  struct object {
    long id = 0, parent = 0;
    std::u16string type, name;
  };
  std::vector<object> objects_;
};
