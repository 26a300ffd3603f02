// Writes the index files of DBF tables for tests, by field and byte as the
// formats lay them out: their headers and tag directories with every tag's
// name, key expression, FOR expression and flags, and empty key trees (the
// readers take definitions only).
//
//   dbf_index_writer::write(folder, "GOODS.CDX", dbf_index_writer::cdx({
//       {"NAME", "UPPER(name)"}, {"CODE", "code", "!DELETED()", dbf_index_kind::candidate}}));
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

enum class dbf_index_kind { plain, unique, candidate };

struct dbf_index_definition {
  dbf_index_definition(std::string name_, std::string expression_, std::string filter_ = {},
                       dbf_index_kind kind_ = dbf_index_kind::plain, bool descending_ = false, int key_length_ = 10)
      : name(std::move(name_)), expression(std::move(expression_)), filter(std::move(filter_)), kind(kind_),
        descending(descending_), key_length(key_length_) {}

  std::string name;  // the tag name (.cdx, .mdx); ignored by single-index formats
  std::string expression;
  std::string filter;  // empty: none
  dbf_index_kind kind = dbf_index_kind::plain;
  bool descending = false;
  int key_length = 10;
};

class dbf_index_writer {
 public:
  // Visual FoxPro / FoxPro 2 compound index: a tag directory and the tags.
  static std::string cdx(const std::vector<dbf_index_definition>& tags);
  // FoxPro single index, compact (FoxPro 2 and later) or of the older kind.
  static std::string idx(const dbf_index_definition& index, bool compact = true);
  // dBASE IV / 5 / 7 multiple index; `table` is the data file's name.
  static std::string mdx(const std::vector<dbf_index_definition>& tags, const std::string& table);
  static std::string ndx(const dbf_index_definition& index);
  static std::string ntx(const dbf_index_definition& index);

  static std::filesystem::path write(const std::filesystem::path& folder, const std::string& name,
                                     const std::string& bytes);
};
