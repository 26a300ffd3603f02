// A Visual FoxPro database container (.dbc, with its .dct memo file): itself
// a DBF table, one record per object (OBJECTID, PARENTID, OBJECTTYPE,
// OBJECTNAME, ...). A table that belongs to one names it after its field
// descriptors; the container's "Field" objects of that table, in record
// order, carry the long field names its header has cut to 10 characters.
//
// Each object's PROPERTY memo is a run of entries: a 4-byte little-endian
// length of the whole entry, a 2-byte length of the id that follows (1), the
// one-byte id, then the value, a string ended by a NUL byte. The layout and
// the ids below come from the published Visual FoxPro file-structure notes
// and the documentation of open-source xBase libraries; no real container
// was at hand to confirm them, so a container that holds other ids simply
// yields no defaults, key or relations.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class dbf_recordset;

class dbf_container {
 public:
  enum property : std::uint8_t {
    default_value = 0x09,   // of a Field: an expression
    child_tag = 0x0D,       // of a Relation: the tag of the child table (the Relation's parent object)
    parent_table = 0x0E,    // of a Relation
    parent_tag = 0x0F,      // of a Relation
    primary_tag = 0x14,     // of a Table: the tag of its primary key
  };
  // A persistent relation: the child's tag refers to the parent table's tag.
  struct relation {
    std::u16string child_tag, parent_table, parent_tag;
  };
  // What the container says of one table.
  struct table_facts {
    std::vector<std::u16string> field_names;  // in field order
    std::vector<std::u16string> defaults;     // per field, the expression; empty: none
    std::u16string primary_tag;               // empty: no primary key
    std::vector<relation> relations;          // where the table is the child
  };

  // Reads the objects of the container file; a file that is no container
  // raises tk_exception.
  explicit dbf_container(const std::string& path);

  // The long field names of the table `table` (its name in the container,
  // ignoring case) in field order; empty when the container lists no such table.
  std::vector<std::u16string> field_names(const std::u16string& table) const;
  // Everything the container holds of `table`; nothing when it is not listed.
  std::optional<table_facts> facts(const std::u16string& table) const;

  // Gives `table` the long field names of its container, when it belongs to
  // one, and the field defaults that are literals (other expressions are
  // warnings). A container that is missing, damaged or does not list the
  // table is a warning of `shown_name` (its short names stay). Returns the
  // table's primary key tag and relations for the caller to build.
  static table_facts apply(dbf_recordset& table, const std::string& shown_name);
  // The value of a default expression when it is a literal Oracle can take
  // as it stands: a string, a number or a strict date; nothing otherwise.
  static std::optional<std::u16string> literal_of(std::u16string_view expression);
  // The entries of a PROPERTY memo; a truncated entry ends the list.
  static std::map<int, std::string> properties_of(std::string_view memo);
  // The container file `link` names for the table file `table_file`; empty
  // when it is not there.
  static std::string find(const std::string& table_file, const std::string& link);

 private:
  struct object {
    long id = 0, parent = 0;
    std::u16string type, name;
    std::map<int, std::string> properties;
    std::u16string property(int id) const;
  };
  const object* table_object(const std::u16string& table) const;
  static void apply_default(dbf_recordset& table, std::size_t column, const std::u16string& expression,
                            const std::string& shown_name);
  std::vector<object> objects_;
};
