// Which index files belong to a table: its structural .cdx or production
// .mdx (named after the table; the header's flag says one exists, though
// some writers leave the flag clear) and the .idx, .ndx, .ntx and .nsx files
// of the table's base name. Other index files in the folder belong to no
// table. The folder is looked at here only.
#pragma once

#include <string>
#include <vector>

struct dbf_index_files {
  // nsx: Harbour's compound index (DBFNSX), which is not read.
  enum class kind { cdx, mdx, idx, ndx, ntx, nsx };
  struct entry {
    std::string path;
    kind format;
    bool unflagged = false;  // a structural file the header's flag does not name
  };

  // The files found for the table file `table_file`; `structural` is the
  // table header's flag for a structural or production index. The
  // structural file is found whatever the flag says: writers that leave
  // the flag clear still keep it up to date.
  static std::vector<entry> of(const std::string& table_file, bool structural);
  // The index files of `folder` (names, sorted) that belong to none of its
  // .dbf tables, whatever their header flags say.
  static std::vector<std::string> of_no_table(const std::string& folder);
  // The name of the structural file the flag promises but the folder lacks
  // (".cdx" for FoxPro versions, ".mdx" otherwise); empty when none is missing.
  static std::string missing_structural(const std::string& table_file, bool structural, bool foxpro);
};
