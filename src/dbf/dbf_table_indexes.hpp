// The indexes of a DBF table for the Oracle side: the tags of its index
// files, translated where Oracle can order and constrain alike. A tag that
// cannot be carried over, and an index file that cannot be read, is a
// warning of the table; the table itself is converted all the same.
//
// Kinds: an xBase UNIQUE tag keeps duplicate keys in the table (only the
// index holds one entry per key), so it becomes a plain index; a candidate
// (Visual FoxPro) or DISTINCT (dBASE) tag becomes a unique one. A filter on
// DELETED() is dropped, but a unique tag that leaves deleted records out
// only stays unique when deleted records are not converted.
#pragma once

#include <string>
#include <vector>

#include "dbf_index_tag.hpp"
#include "udb_indexes.hpp"

class dbf_recordset;

class dbf_table_indexes {
 public:
  // `shown_name` names the table in warnings; `deleted_converted` tells
  // whether records marked deleted reach Oracle.
  dbf_table_indexes(const dbf_recordset& table, std::string shown_name, bool deleted_converted);

  // Reads every index file of the table and translates its tags.
  udb_indexes read();
  // What the reading did that the user should know, though nothing was
  // lost (a structural file the header does not name was read); for the run
  // to say.
  const std::vector<std::string>& notes() const { return notes_; }
  // One tag, as read() takes it; false (after its warning) when it is left out.
  bool add(const dbf_index_tag& tag, udb_indexes& indexes) const;

 private:
  std::vector<dbf_index_tag> tags_of_files();
  void warn(const std::string& what) const;

  const dbf_recordset& table_;
  std::string shown_name_;
  bool deleted_converted_;
  std::vector<std::string> notes_;
};
