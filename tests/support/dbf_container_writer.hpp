// Writes a Visual FoxPro database container (.dbc and its .dct) for tests:
// the object table Visual FoxPro keeps, with a Database object, then each
// table, its fields in order and the relations where it is the child. The
// PROPERTY memos hold what the reader looks for, under the ids Visual FoxPro
// gives them: each table's path, field defaults and rules, the primary key
// tag, a relation's tags and parent table (see dbf_container).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class dbf_container_writer {
 public:
  // `defaults`, when given, holds one expression per field (empty: none).
  dbf_container_writer& table(std::u16string name, std::vector<std::u16string> fields,
                              std::vector<std::u16string> defaults = {}, std::u16string primary_tag = {});
  // The path of the table last added, as the container keeps it (by default
  // its name with ".dbf"); an empty path writes none.
  dbf_container_writer& path(std::u16string path);
  // A validation rule of the table last added: of its field `field` (from
  // 0), or of the table itself when `field` is -1.
  dbf_container_writer& rule(int field, std::u16string rule);
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
    std::u16string path;
    std::vector<std::u16string> rules;  // per field, then the table's last
    std::vector<related> relations;
  };
  std::vector<listed> tables_;
};
