// The tags of a FoxPro / Visual FoxPro compound index (.cdx): the file's own
// first header indexes the tag names, each key pointing at that tag's
// header. Names, expressions and flags are read; keys are not.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "dbf_index_file.hpp"

class dbf_cdx_reader {
 public:
  // Raises tk_exception for a file that cannot be opened or is damaged.
  explicit dbf_cdx_reader(const std::string& path);
  const std::vector<dbf_index_tag>& tags() const { return tags_; }

 private:
  // Adds the tags listed by the tag-directory node at `offset` and its
  // right-hand siblings.
  void read_directory(std::uint64_t offset, std::size_t key_length);
  void read_leaf(const std::string& node, std::size_t key_length);
  void visit(std::uint64_t offset);

  dbf_index_file file_;
  std::vector<dbf_index_tag> tags_;
  std::set<std::uint64_t> visited_;  // a damaged file must not loop
};
