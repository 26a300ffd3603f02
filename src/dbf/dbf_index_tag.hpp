// One index definition read from an index file: what the file says, before
// any of it is translated for Oracle.
#pragma once

#include <string>

struct dbf_index_tag {
  std::string file;        // the index file's own name, without folder
  std::string name;        // the tag name; a single-index file's base name
  std::string expression;  // the key expression, as written
  std::string filter;      // the FOR expression; empty when none
  // xBase UNIQUE: the index keeps one entry per key, the table keeps every
  // duplicate, so nothing is enforced.
  bool unique = false;
  // A Visual FoxPro candidate or a dBASE DISTINCT tag: the table holds no
  // duplicate key.
  bool candidate = false;
  bool descending = false;
};
