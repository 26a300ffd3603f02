// The connected user's Oracle schema as a database: its tables and views
// from the data dictionary, tables opened, created, dropped, and statements
// run, all in the session of the engine it was opened with (which its
// tables and statements are handed in turn).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ora_engine.hpp"
#include "ora_in_validator.hpp"
#include "ora_indexes_initializer.hpp"
#include "ora_server_limits.hpp"
#include "ora_sql_runner.hpp"
#include "udb_custom_conversion.hpp"
#include "udb_database.hpp"
#include "udb_target.hpp"

class ora_indexes_initializer;
class ora_journal;
class ora_schema_initializer;

class ora_database : public udb_database, public ora_sql_runner {
 public:
  // Whether the database reads the schema's views from the data dictionary
  // when it opens (the old mode bit 0x80 skipped it).
  enum class catalog { read, skip };
  // `engine`: the session, which outlives the database; null for a target
  // that reaches no server (see dry_run), which then skips the catalog.
  ora_database(ora_engine* engine, const std::u16string& name, catalog views);
  ~ora_database() override;

  std::unique_ptr<udb_recordset> create_table(const std::u16string& name, const udb_schema& schema,
                                              const udb_indexes& indexes) override;
  // Opens a table of the schema (whatever the access: the session decides
  // what it may do); a table not listed is an internal error.
  std::unique_ptr<udb_recordset> get_table(const std::u16string& name, udb_access access) override;
  std::unique_ptr<udb_recordset> get_table(const std::u16string& name, const std::u16string& query);
  // Creates the keys and indexes of a table this run created from `schema`
  // (the source's), after its rows are loaded; an index Oracle refuses is
  // handed to `failed` and the others are still created.
  void create_indexes(const std::u16string& table, const udb_schema& schema, const udb_indexes& indexes,
                      const ora_indexes_initializer::failure& failed);
  // Makes the required columns of a table this run created from `schema`
  // (the source's) NOT NULL, after its rows are loaded; a column Oracle
  // refuses (rows leave it empty: ORA-02296) is handed to `failed` with its
  // source name and the message, and the rest follow.
  using column_failure = udb_column_note;
  // Told of each column create_table declares otherwise than it was given
  // (a type or default refused or changed), by its Oracle name; without it
  // such notes are warnings under the Oracle table's name.
  column_failure column_notes;
  void require_columns(const std::u16string& table, const udb_schema& schema, const udb_indexes& indexes,
                       const column_failure& failed);
  using key_side = udb_key_side;
  // Adds a foreign key from `child` to `parent` under a name Oracle gives;
  // a refusal (orphans: ORA-02298) is raised as ora_exception.
  void create_foreign_key(const key_side& child, const key_side& parent);
  // Adds the columns at `positions` of `schema` (the source's) to a table
  // that exists, declared as create_table would declare them.
  virtual void add_columns(const std::u16string& table, const udb_schema& schema,
                           const std::vector<std::size_t>& positions);
  // Drops the table (and the constraints pointing at it) and forgets it.
  bool delete_tab(const std::u16string& name) override;
  // Runs a statement; nothing is returned.
  std::unique_ptr<udb_recordset> query(const std::u16string& text) override;
  void run(const std::u16string& sql) override;
  // True when the statement parses and describes.
  bool test_query(const std::u16string& text) override;
  const std::vector<std::u16string>& get_tables() override;
  // Raises the level-0 error that names the limit when the server cannot
  // hold a table of this schema; nothing reaches the server.
  void check_fits(const udb_schema& schema) const;

  // The session; an internal error for a target without one.
  ora_engine& engine() const;

  bool b_uppercase = false;
  // The schema the tables are created, filled and read in, and the
  // tablespaces of new tables and their LOB segments; empty: the user's
  // own schema and its defaults.
  std::u16string owner;
  std::u16string tablespace;
  std::u16string lob_tablespace;
  // A table of that schema as SQL names it.
  std::u16string sql_name(const std::u16string& table) const { return ora_qualified(owner, table); }
  // The dictionary view `name` ("TAB_COLUMNS") that shows that schema:
  // USER_ for the user's own, ALL_ for another.
  std::u16string dictionary(const char16_t* name) const;
  // "ALIAS.COLUMN = 'OWNER' AND " for a view of another schema, else nothing.
  std::u16string owner_condition(const char16_t* column) const;
  // What the last create_table could not make as the source has it (an
  // auto-increment trigger the user may not create): the table's warnings.
  std::vector<std::string> creation_warnings;
  // What the server allows; the engine sets it when it connects.
  ora_server_limits limits;
  std::map<std::u16string, std::u16string> views;
  // The run's conversion rules, which outlive its use of the database; they
  // decide the types of the columns and the values they claim. Null: none.
  const udb_custom_conversion* conversion = nullptr;
  // The run's journal, when it keeps one: it commits the records inserted.
  ora_journal* journal = nullptr;
  // Commits the records inserted since the last commit, with the journal's
  // update when there is a journal.
  void commit_records();
  // Run in the transaction of each commit the journal makes, before it
  // commits: a worker of a shared job checks there that the table is still
  // its own, and raises (after rolling back) when it is not. `last`: the
  // commit that makes the table whole. Empty: no check.
  std::function<void(bool last)> commit_fence;
  // Starts the index and constraint names of a run afresh: the names a run
  // generates depend only on its own tables, so that a later run names them
  // alike. Until then the names given since the database opened count.
  void start_index_names() { index_names_ = ora_in_validator(limits); }
  // Index and constraint names the schema holds already count as taken
  // when a table's keys are named: agents beside this one (the workers of
  // one job, each table a run of its own) make theirs at the same time.
  bool names_from_schema = false;
  // A run of a worker of one job removes its journal entries but leaves the
  // journal: another worker may be writing the entries of a table's ranges
  // one by one, which a drop between them would lose. The job's last worker drops it.
  bool keeps_journal_table = false;
  // The sessions of one run name indexes from one registry (`shared`, which
  // outlives their use of it; its user makes them one at a time).
  void share_index_names(ora_in_validator* shared) { shared_index_names_ = shared; }
  // True for a target that only records what a run would do: no journal is
  // kept and nothing reaches a server.
  virtual bool dry_run() const { return false; }

 protected:
  // Told of each table built, once its statements have run; `keys` is null
  // for a table without indexes.
  virtual void table_built(const ora_schema_initializer& builder, const ora_indexes_initializer* keys);
  // Told of the keys and indexes created after a table's rows were loaded.
  virtual void indexes_built(const std::u16string& table, const ora_indexes_initializer& keys);

 private:
  void init_tables();
  void init_views();
  // The registry of index and constraint names, with the schema's own when names_from_schema.
  ora_in_validator& names_for_keys();
  // The entries of `indexes` whose names are listed.
  static udb_indexes indexes_named(const udb_indexes& indexes, const std::vector<std::u16string>& names);
  // How often a table's keys are named again after other sessions took the names.
  static constexpr int max_name_attempts = 5;

  ora_engine* engine_;
  // The index and constraint names given in this run, unique in the schema.
  ora_in_validator index_names_;
  ora_in_validator* shared_index_names_ = nullptr;
  ora_in_validator& index_names() { return shared_index_names_ ? *shared_index_names_ : index_names_; }
};
