// Runs CREATE, DROP and ALTER statements against the dictionary and the SQLite schema.
// Each runs in its own transaction after committing the session's open one, as DDL does.
#pragma once

#include <optional>

#include "emu_catalog.hpp"
#include "emu_error.hpp"
#include "emu_parser.hpp"

namespace ociemu {

class emu_connection;

class emu_ddl_executor {
 public:
  // `owner` owns what the statement creates; empty: the session's user.
  explicit emu_ddl_executor(emu_connection& connection, std::u16string owner = {});

  // Returns a warning (ORA-24344 for a trigger created with compilation errors) when the
  // statement succeeded with information.
  std::optional<emu_error> run(const emu_ddl& statement);

 private:
  std::optional<emu_error> apply(const emu_ddl& statement);
  static std::optional<std::u16string> added_object(const emu_ddl& statement);
  static std::vector<std::u16string> locked_tables(const emu_ddl& statement);
  void create_table(const emu_create_table& s);
  void check_new_columns(const std::vector<emu_column_spec>& columns, const emu_table_def* existing);
  void add_column(const std::u16string& table, const emu_column_spec& column, int column_id);
  void add_key(const std::u16string& table, emu_key_spec key);
  void add_unique_key(const emu_table_def& table, const emu_key_spec& key, const std::u16string& name);
  void add_foreign_key(const emu_table_def& table, const emu_key_spec& key, const std::u16string& name);
  void record_constraint(const emu_table_def& table, const emu_key_spec& key,
                         const std::u16string& name, const std::u16string& index_name,
                         const std::u16string& referenced);
  std::optional<std::u16string> index_with_columns(const emu_table_def& table,
                                                   const std::vector<std::u16string>& columns);
  void create_index(const emu_create_index& s);
  void record_index(const std::u16string& table, const std::u16string& name,
                    const std::vector<std::u16string>& columns, bool unique, bool generated,
                    const std::vector<bool>& descending = {});
  void drop(const emu_drop& s);
  void drop_table(const emu_drop& s);
  // The tablespaces the storage clauses name must exist; they are kept for
  // the ALL_TABLES and ALL_LOBS views.
  void record_segments(const emu_create_table& s);
  void drop_constraints_of(const std::u16string& table, bool cascade);
  void alter_table(const emu_alter_table& s);
  void modify_column(const emu_table_def& table, const emu_column_spec& change);
  void drop_constraint(const emu_table_def& table, const std::u16string& name);
  void create_sequence(const emu_create_sequence& s);
  std::optional<emu_error> create_trigger(const emu_create_trigger& s);
  void create_view(const emu_create_view& s);
  // ORA-01031 unless the user may create (alter, drop) an object of `object_owner`'s schema:
  // `own` for their own schema, the privilege `any` for another's.
  void require(const std::u16string& object_owner, bool own, const char* any) const;
  void check_name_free(const std::u16string& name);
  // The declared type with the service's length semantics where it names none.
  emu_column_type resolved(const emu_column_type& type) const;
  // Oracle Database Error Messages, ORA-01450: an index key (the widths of its columns plus
  // one byte each) over 6398 bytes, the limit of 8 KB blocks.
  void check_key_length(const emu_table_def& table, const std::vector<std::u16string>& columns) const;
  void set_nullable(const std::u16string& table, const std::u16string& column, bool nullable);
  std::int64_t count(const std::string& sql);
  std::string owner() const;

  emu_connection& connection_;
  std::u16string owner_;
  emu_catalog& catalog_;
  emu_sqlite& db_;
};

}  // namespace ociemu
