// A persistent relation a source gives a table as the child: its tag and
// the parent's table and tag, made a foreign key once both are loaded.
#pragma once

#include <string>

struct udb_table_relation {
  std::u16string child_tag, parent_table, parent_tag;
  // The parent's table file name without its extension, as the run names
  // the table; empty: the parent is named by `parent_table`.
  std::u16string parent_file;
};
