// What a conversion would do, found by running it against a recording
// target: per table the source's facts, the Oracle table the run would
// create, and every value it would leave empty or change. Names and texts
// are UTF-8 as the run prints them. The JSON form of this report is
// versioned: format_version grows when a field changes meaning or goes;
// new fields may appear without it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct check_column {
  std::string source;  // the DBF column (after a profile's customisation)
  std::string name;    // the Oracle column
  std::string type;    // its Oracle type
  bool renamed = false;
};

struct check_index_tag {
  std::string name;
  std::vector<std::string> fields;
  bool unique = false;
  bool primary = false;
  std::string becomes;  // the statement that makes it in Oracle, or why none does
};

// The warnings of one column that say the same thing.
struct check_warning_group {
  static constexpr std::size_t records_kept = 10;

  std::string column;  // empty for the table as a whole
  std::string what;
  std::uint64_t count = 0;
  std::vector<std::uint64_t> first_records;  // at most records_kept, 0 for none
};

struct check_table {
  std::string name;
  std::string file;
  std::string version;  // the header's version byte, "0x30"
  std::uint64_t records = 0;
  std::uint64_t deleted = 0;
  std::uint64_t would_insert = 0;
  std::string sync_key;  // sync mode: the fields records are matched by; empty otherwise
  // Sync mode: whether the records were compared with the digests of the
  // last sync (a connection is needed), and what the sync would do then.
  bool sync_counted = false;
  std::uint64_t would_update = 0;
  std::uint64_t would_delete = 0;
  std::uint64_t would_keep = 0;  // unchanged since the last sync: not sent
  std::uint64_t would_fail = 0;
  int code_page = 0;  // 0: the default code page of DBF text
  std::string code_page_reason;
  std::string memo_state;  // "none", "found" or "missing"
  std::string memo_file;
  std::vector<check_index_tag> index_tags;
  std::string oracle_name;  // empty when the run gets no Oracle table for it
  bool renamed = false;
  bool replaces_existing = false;
  std::vector<check_column> columns;
  std::vector<std::string> statements;
  std::vector<check_warning_group> warnings;
  std::vector<std::string> errors;
  std::string outcome;  // "ok", "warnings", "fails" or "skipped"

  std::uint64_t warning_count() const;
};

// What the report takes the Oracle side to be: read from the server when
// connection options were given, else what every server allows.
struct check_target {
  bool connected = false;
  std::string connection;  // the connect string, when connected
  std::vector<std::string> existing_tables;
  std::uint32_t name_bytes = 30;
  std::uint32_t max_columns = 1000;
  std::string charset = "AL32UTF8";
  std::string national_charset = "AL16UTF16";
  std::vector<std::string> privileges;  // read when connected
  std::vector<std::string> quotas;      // "TABLESPACE: used of max bytes", when connected
  std::vector<std::string> unread;      // what could not be read, and why
};

struct check_report {
  static constexpr int format_version = 1;

  std::string program;  // "vpxagent 3.3"
  std::string source;
  std::string mode;  // what happens to existing tables: "overwrite", "merge", "skip" or "sync"
  bool definitions_only = false;
  bool skip_deleted = false;
  check_target target;
  std::vector<check_table> tables;
  std::vector<std::string> errors;  // of the run as a whole
  std::vector<std::string> unlinked_index_files;  // in the folder, of no table
  int status = 0;                   // the exit status a run would have
};
