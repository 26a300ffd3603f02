// Reader of the simple indented-list files that carry the type mappings:
//
//   NUMBER:
//     - FLOAT
//     - VARCHAR2(100)
//
// A line (after trimming spaces) ending with ":" starts a key; a line
// starting with "-" adds an item to the current key (the empty key before
// the first key line); other lines are ignored. Keys may repeat, and every
// load adds to what earlier loads stored.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

class tk_yaml_config {
 public:
  // False, with nothing added, when the file cannot be opened. Items found
  // in `filter` are not stored. Text that is not UTF-8 raises the level-0
  // conversion error.
  bool load(const std::string& path, const std::set<std::u16string>& filter = {});

  std::map<std::u16string, std::vector<std::u16string>> data;

 private:
  void take_line(std::string line, std::string& key, const std::set<std::u16string>& filter);
};
