// Writes a Visual FoxPro database container (.dbc and its .dct) for tests:
// the object table Visual FoxPro keeps, with a Database object, then each
// table, its fields in order and the relations where it is the child. The
// PROPERTY memos hold what the reader looks for: field defaults, the
// primary key tag, a relation's tags and parent table (see dbf_container).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class dbf_container_writer {
 public:
  // `defaults`, when given, holds one expression per field (empty: none).
  dbf_container_writer& table(std::u16string name, std::vector<std::u16string> fields,
                              std::vector<std::u16string> defaults = {}, std::u16string primary_tag = {});
  // A persistent relation of the table last added (the child).
  dbf_container_writer& relation(std::u16string child_tag, std::u16string parent_table, std::u16string parent_tag);
  // Writes `file_name` (and its .dct) into `folder`; returns its path.
  std::filesystem::path write(const std::filesystem::path& folder, const std::string& file_name) const;

  // One PROPERTY memo entry, as the container stores it.
  static std::string property(int id, const std::string& value);

 private:
  struct related {
    std::u16string child_tag, parent_table, parent_tag;
  };
  struct listed {
    std::u16string name;
    std::vector<std::u16string> fields, defaults;
    std::u16string primary_tag;
    std::vector<related> relations;
  };
  std::vector<listed> tables_;
};
