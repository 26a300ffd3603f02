// A Visual FoxPro database container (.dbc, with its .dct memo file): itself
// a DBF table, one record per object (OBJECTID, PARENTID, OBJECTTYPE,
// OBJECTNAME, ...). A table that belongs to one names it after its field
// descriptors; the container's "Field" objects of that table, in record
// order, carry the long field names its header has cut to 10 characters.
//
// Each object's PROPERTY memo is a run of entries: a 4-byte little-endian
// length of the whole entry, a 2-byte length of the id that follows (1), the
// one-byte id, then the value, a string ended by a NUL byte. The layout comes
// from the published Visual FoxPro file-structure notes; every id below was
// confirmed on containers Visual FoxPro wrote (foxbin2prg's fb2p_dbc.dbc,
// FoxProDatabaseExtractor's data1.dbc), as noted beside it. Ids the reader
// does not use there: 0x02 (object kind), 0x07 (comment), 0x0A (the rule's
// message), 0x0E/0x0F/0x10 (a table's insert, update and delete triggers).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "udb_table_relation.hpp"

class dbf_recordset;

class dbf_container {
 public:
  enum property : std::uint8_t {
    // of a Table: its file, relative to the container ("fb2p_dbf.dbf" for the
    // table nombrelargodeldbf in fb2p_dbc.dbc, "table1.dbf" in data1.dbc)
    table_path = 0x01,
    // of a Field or a Table: the validation rule (fb2p_dbc.dbc: field nombre
    // ".NOT.EMPTY(nombre)", table nombrelargodeldbf "edad>10")
    rule = 0x09,
    // of a Field: the default expression (fb2p_dbc.dbc: the quoted strings
    // "Depto." of field depto and "." of field nombre)
    default_value = 0x0B,
    // of a Relation, whose parent object is the child table: the child's tag,
    // the parent table (its name in the container) and the parent's tag
    // (fb2p_dbc.dbc, "relation 1": DEPTO, FB2P_DEPTO, DEPTO)
    child_tag = 0x0D,
    parent_table = 0x12,
    parent_tag = 0x13,
    // of a Table: the tag of its primary key (fb2p_dbc.dbc: "depto" of
    // fb2p_depto, "id" of nombrelargodeldbf)
    primary_tag = 0x14,
  };
  // A persistent relation: the child's tag refers to the parent table's tag.
  using relation = udb_table_relation;
  // What the container says of one table.
  struct table_facts {
    std::u16string name;                      // the table's name in the container
    std::vector<std::u16string> field_names;  // in field order
    std::vector<std::u16string> defaults;     // per field, the expression; empty: none
    std::vector<std::u16string> rules;        // per field, the validation rule; empty: none
    std::u16string rule;                      // of the table; empty: none
    std::u16string primary_tag;               // empty: no primary key
    std::vector<relation> relations;          // where the table is the child
    // The container's memo file is missing: defaults and rules read empty.
    bool properties_missing = false;
  };

  // Reads the objects of the container file; a file that is no container
  // raises tk_exception.
  explicit dbf_container(const std::string& path);

  // Everything the container holds of the table stored in `table_file`;
  // nothing when it is not listed. A container names its tables apart from
  // their files (user_level in user_lev.dbf): the table is the one whose
  // path names that file (ignoring case and folders), or, for a table
  // without a path, the one named as the file.
  std::optional<table_facts> facts(const std::string& table_file) const;

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
  const object* table_object(const std::string& table_file) const;
  const object* table_named(const std::u16string& name) const;
  static std::u16string file_of(const object& table);
  static void apply_default(dbf_recordset& table, std::size_t column, const std::u16string& expression,
                            const std::string& shown_name);
  static void warn_of_rules(const dbf_recordset& table, const table_facts& facts, const std::string& shown_name);
  std::vector<object> objects_;
  bool properties_missing_ = false;
};
