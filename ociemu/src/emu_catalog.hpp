// The data dictionary kept beside the user tables in each service file: its own tables,
// the USER_* views over them, and the table definitions the executors need.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "emu_column_type.hpp"
#include "emu_lexer.hpp"
#include "emu_sqlite.hpp"

namespace ociemu {

struct emu_column_def {
  std::u16string name;
  emu_column_type type;
  bool nullable = true;
  std::optional<std::u16string> default_text;  // as written in the DDL
  int column_id = 0;
};

struct emu_key_def {
  std::u16string name;
  char type = 'U';  // 'P' primary key, 'U' unique constraint, 'I' unique index
  std::vector<std::u16string> columns;
};

struct emu_trigger_def {
  std::u16string name, column, sequence;
  bool when_null = true;
  bool valid = true;
};

struct emu_table_def {
  std::int64_t object_id = 0;
  std::u16string owner, name;
  std::vector<emu_column_def> columns;
  std::vector<emu_key_def> keys;
  std::vector<emu_trigger_def> triggers;

  // Position of the column (exact name), or -1.
  int find_column(const std::u16string& column) const;
};

struct emu_user {
  std::u16string name;
  std::u16string password;
  bool locked = false;
  bool create_table = true;
  bool quota = true;
  bool create_sequence = true;
  bool create_trigger = true;
  // System privileges granted beyond the defaults, such as "CREATE ANY TABLE".
  std::vector<std::string> grants;

  bool has(const std::string& privilege) const;
};

class emu_catalog {
 public:
  explicit emu_catalog(emu_sqlite& db) : db_(db) {}

  // Dictionary tables, catalog views and DUAL; safe to run on every connection.
  static void create_schema(emu_sqlite& db);
  static void save_user(emu_sqlite& db, const emu_user& user);
  static std::optional<emu_user> find_user(emu_sqlite& db, const std::u16string& name);

  std::shared_ptr<const emu_table_def> find_table(const std::u16string& name);
  // The table, or ORA-00942.
  std::shared_ptr<const emu_table_def> table(const std::u16string& name);
  // Type of the object in the namespace shared by tables, views and sequences, if any.
  std::optional<std::string> object_type(const std::u16string& name);
  bool index_exists(const std::u16string& name);
  bool constraint_exists(const std::u16string& name);
  std::int64_t add_object(const std::u16string& owner, const std::u16string& name, const char* type);
  void remove_object(const std::u16string& name, const char* type);
  std::u16string generated_name();  // SYS_Cnnnnn for unnamed constraints and their indexes

  // Oracle finds names exactly, SQLite ignoring case: an identifier that names a table, view
  // or column only when case is ignored is ORA-00942 or ORA-00904 here, as on a server.
  void check_exact_names(const std::vector<emu_token>& tokens);

  // Forget cached definitions after DDL, or when another connection changed the file.
  void invalidate() {
    tables_.clear();
    names_loaded_ = false;
  }
  // After DDL that only adds names (a new table, view or sequence, an index, a
  // trigger): the definitions are read again, and the names the object
  // `name` has now join the known ones instead of every name being reloaded.
  // Reloading them all after each table made a run of N tables cost N times N.
  void add_names_of(const std::u16string& name);
  void refresh_if_changed();
  emu_sqlite& db() { return db_; }

 private:
  bool has_row(const std::string& sql, const std::u16string& name);
  std::shared_ptr<emu_table_def> load(const std::u16string& name);
  void load_columns(emu_table_def& def);
  void load_keys(emu_table_def& def);
  void load_triggers(emu_table_def& def);

  emu_sqlite& db_;
  void load_names();

  std::map<std::u16string, std::shared_ptr<emu_table_def>> tables_;
  // Upper-cased name -> the exact names of objects (first) and columns (second).
  std::map<std::u16string, std::pair<std::set<std::u16string>, std::set<std::u16string>>> names_;
  bool names_loaded_ = false;
  std::int64_t data_version_ = -1;
};

}  // namespace ociemu
