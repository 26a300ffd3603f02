// Everything a user chooses for a conversion, as one plain value: the
// stored settings, a profile and the command line each fill it in, and a
// run reads the copy it is handed. Where a field keeps an older stored
// name, the comment gives that name.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What a run does with a table that already exists in the schema (stored
// as "mode": 0, 1, 2, 3). Sync brings it to the file's content by key.
enum class existing_table_mode : std::uint32_t { overwrite = 0, merge = 1, skip = 2, sync = 3 };

// How rows reach Oracle (stored as "row_by_row": 0 batches, 1 one by one).
enum class insert_path { bound_batches, row_by_row };

// Which code page a table's text is read in.
enum class code_page_source {
  each_table,  // the page its header or .cpg file names (setting 0)
  one_page,    // the one page the user chose for every table
  detected,    // the page its text looks like, where it names none ("auto")
};

// A worker's step of a table that the workers of a job load in ranges:
// one prepares the table and its journal entries, each range is loaded on
// its own (the journal tells where it goes on), one ends the table.
struct table_share {
  // keys: the job's last worker makes the foreign keys of the container
  // relations among the tables the job loaded, and loads nothing.
  enum class step { whole, prepare, range, finish, keys };
  step at = step::whole;
  std::uint32_t parts = 0;  // the table's ranges: records split evenly
  std::uint32_t part = 0;   // the range of a range step, from 0
  std::u16string key;       // the journal's key of the table, as the prepare step wrote it
  // A worker's run, which loads one table of the job: its foreign keys wait
  // for the keys step, when every table of the job is in.
  bool keys_later = false;
};

struct vesper_settings {
  // Rows per batch. Each commit costs two round trips with the journal's
  // update, so batches of 2,000 keep a run within 0.001 round trips per record.
  static constexpr std::uint32_t default_batch_rows = 2000;
  static constexpr const char16_t* default_port = u"1521";

  // The DBF folder ("src") and the Oracle service ("dest").
  std::u16string folder;
  std::u16string service;
  std::u16string host;
  std::u16string port = default_port;
  std::u16string user;
  std::u16string password;
  // The trace file ("logfile"); empty: none.
  std::string log_file;
  // The schema the tables are created and filled in (empty: the user's
  // own), and the tablespaces of the tables and of their LOB segments
  // (empty: the schema's default).
  std::u16string schema;
  std::u16string tablespace;
  std::u16string lob_tablespace;
  // Where rejected records go: a DBF file, or a folder (ending in "/" or
  // existing) with one file per table named after its source file; empty:
  // nowhere.
  std::string bad_file;

  // The tables to convert ("sel_tables"; empty: every table of the folder),
  // the profile's selected entries, name -> query text ("sel_queries"), and
  // queries defined but not chosen ("avail_queries").
  std::vector<std::u16string> tables;
  std::map<std::u16string, std::u16string> table_queries;
  std::map<std::u16string, std::u16string> unused_queries;

  existing_table_mode existing_tables = existing_table_mode::overwrite;
  bool definitions_only = false;  // "tab_def": tables without their records
  bool skip_indexes = false;      // "skip_idx"
  bool skip_deleted = false;      // "skip_del"
  // Logical fields kept as the file holds them, CHAR(1) 'T'/'F' ("bool_dbf").
  bool logicals_as_is = false;
  bool upper_case = true;  // "uppercase": table and column names in upper case
  insert_path insert = insert_path::bound_batches;
  std::uint32_t batch_rows = default_batch_rows;  // "batch"
  std::uint32_t commit_rows = 0;  // "commit": rounded up to whole batches; 0: every batch
  // The encoding setting ("code_page"): 0 each table's own, a driver byte or
  // code page number, or dbf_code_pages::auto_setting.
  int code_page = 0;
  // Continue the run the journal in the schema tells of: finished tables
  // are skipped, a half-loaded one goes on after its last record.
  bool resume = false;
  // Oracle sessions that load tables at once, each on its own thread
  // ("parallel"); the biggest tables go first.
  std::uint32_t parallel = 1;
  static constexpr std::uint32_t max_parallel = 64;
  // A run of one worker's step of a split table; never in a profile.
  table_share share;
  // Sync: records gone from the file, or marked deleted there, are removed
  // from the Oracle table ("sync_deletes"; off keeps them).
  bool sync_deletes = true;
  // Sync: every record is sent again, whatever the digests of the last sync
  // say, so that rows changed in Oracle by hand get the file's values back.
  bool sync_verify = false;
  // Sync keys the user gives: table name (as in the table list, compared
  // without case) -> source field names ("key").
  std::map<std::u16string, std::vector<std::u16string>> sync_keys;

  code_page_source encoding() const;
  // The fields of a key list, "ID, NAME": split at commas, blanks around them dropped.
  static std::vector<std::u16string> key_fields_of(const std::u16string& list);
  // The key the user gave for `table`, or null.
  const std::vector<std::u16string>* sync_key_of(const std::u16string& table) const;
  bool row_by_row() const { return insert == insert_path::row_by_row; }
};
