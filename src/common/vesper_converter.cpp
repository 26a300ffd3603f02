#include "vesper_converter.hpp"


#include <algorithm>
#include <cstdio>
#include <new>

#include "batch_loader.hpp"
#include "dbf_bad_file.hpp"
#include "dbf_code_pages.hpp"
#include "dbf_container.hpp"
#include "dbf_database.hpp"
#include "dbf_record.hpp"
#include "dbf_recordset.hpp"
#include "dbf_field_properties.hpp"
#include "dbf_table_indexes.hpp"
#include "error_handler.hpp"
#include "init_conversion.hpp"
#include "merge_check.hpp"
#include "ora_error_class.hpp"
#include "ora_exception.hpp"
#include "ora_in_validator.hpp"
#include "ora_journal.hpp"
#include "ora_table.hpp"
#include "ora_tn_validator.hpp"
#include "tk_case.hpp"
#include "tk_file_exist.hpp"
#include "tk_file_name.hpp"
#include "tk_final_exception.hpp"
#include "tk_folder_cache.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "tk_wstring.hpp"
#include "udb_custom_conversion.hpp"
#include "udb_profile.hpp"
#include "vesper_bool_rule.hpp"
#include "vesper_profile_io.hpp"

namespace {

constexpr int ora_resource_busy = 54;
const char* const not_conforming = "The structure of data source does not conform to the destination table.";
const char* const no_settings_folder =
    "Cannot find a home folder for this account: HOME is not set and the password database names none. "
    "The settings are neither read nor stored; set HOME (or XDG_CONFIG_HOME) to a folder of your own to keep them.";

// Hands an error to the handler with the place it belongs to.
void report(const tk_exception& e, const std::string& prefix, bool no_stop) {
  error_handler* handler = error_handler::find();
  if (!handler) {
    tk_log(3, "Error:\n%s: %s", prefix, e.message);
    return;
  }
  handler->prefix = prefix;
  handler->handle(e, no_stop);
}

// A name as Oracle reads it unquoted (upper case), or as written inside
// double quotes.
std::u16string oracle_identifier(const std::u16string& text) {
  if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') return text.substr(1, text.size() - 2);
  return tk_wstring(text).to_upper();
}

void clear_prefix() {
  if (error_handler* handler = error_handler::find()) handler->prefix.clear();
}

}  // namespace

vesper_converter::vesper_converter(std::string store_path) : key_(std::move(store_path)) {
  code_page = 0;
  tk_log(2, "vesper_converter::ctor");
  serialize(false);
}

vesper_converter::~vesper_converter() {
  tk_log(2, "vesper_converter::dtor");
  // A destructor must not throw: settings that cannot be stored now are lost
  // with a line in the trace, never with the process.
  try {
    if (store_on_exit) serialize(true);
  } catch (const std::exception& e) {
    tk_log(3, "The settings could not be stored: %s", e.what());
  }
}

bool vesper_converter::serialize(bool store) {
  tk_log(1, "serialize( %d )", int(store));
  if (int error = key_.open(tk_reg_root::current_user, key_path)) {
    if (error == tk_reg_key::error_path_not_found) settings_problem = no_settings_folder;
    return false;
  }
  if (!store) {
    bool_dbf = false;
    code_page = 0;
    mode = 0;
    port = u"1521";
    skip_del = false;
    skip_idx = false;
    tab_def = false;
    uppercase = true;
    row_by_row = false;
    batch = default_batch;
    commit = 0;
  }
  std::uint32_t page = static_cast<std::uint32_t>(code_page);
  bool ok = key_.exchange(store, bool_dbf, "bool_dbf");
  ok &= key_.exchange(store, page, "code_page");
  ok &= key_.exchange(store, dest, "dest");
  ok &= key_.exchange(store, mode, "mode");
  ok &= key_.exchange(store, host, "oracleh");
  ok &= key_.exchange(store, password, "oraclep");
  ok &= key_.exchange(store, user, "oracleu");
  ok &= key_.exchange(store, port, "port");
  ok &= key_.exchange(store, skip_del, "skip_del");
  ok &= key_.exchange(store, skip_idx, "skip_idx");
  ok &= key_.exchange(store, src, "src");
  ok &= key_.exchange(store, tab_def, "tab_def");
  ok &= key_.exchange(store, uppercase, "uppercase");
  ok &= key_.exchange(store, row_by_row, "row_by_row");
  ok &= key_.exchange(store, batch, "batch");
  ok &= key_.exchange(store, commit, "commit");
  ok &= key_.exchange(store, schema, "schema");
  ok &= key_.exchange(store, tablespace, "tablespace");
  ok &= key_.exchange(store, lob_tablespace, "lob_tablespace");
  if (batch == 0) batch = default_batch;  // a damaged store must not make empty batches
  // A damaged store must not name a code page no table can be read with.
  code_page = dbf_code_pages::is_valid_setting(static_cast<int>(page)) ? static_cast<int>(page) : 0;
  if (mode > 2) mode = 0;  // a damaged store must not pick an unknown mode
  if (store) ok &= key_.flush() == tk_reg_key::error_success;  // all values in one replace
  key_.close();
  return ok;
}

bool vesper_converter::store_profile(const std::string& path) {
  tk_log(2, "vesper_converter::store_profile(%s)", path);
  udb_profile profile;
  vesper_profile_io(*this).store(profile);
  return profile.store(path);
}

bool vesper_converter::load_profile(const std::string& path) {
  tk_log(2, "vesper_converter::load_profile(%s)", path);
  udb_profile profile;
  return profile.load(path) && vesper_profile_io(*this).load(profile);
}

void vesper_converter::operator()() {
  tk_log(2, "vesper_converter::operator()");
  tables_failed = 0;
  records_failed = 0;
  cancelled = false;
  tallies.clear();
  {
    init_conversion scope(done, true);
    // Tables find their memo, index and code page files in one listing of the folder.
    tk_folder_cache::scope listings;
    udb_custom_conversion rules;
    try {
      if (!target) throw tk_exception("Not connected to Oracle", tk_exception::run_level);
      target->b_uppercase = uppercase;
      target->owner = oracle_identifier(schema);
      target->tablespace = oracle_identifier(tablespace);
      target->lob_tablespace = oracle_identifier(lob_tablespace);
      dbf_database source(src, 1, code_page);
      tk_log(1, "After initializing DBs");
      if (bool_dbf) rules.install(std::make_unique<vesper_bool_rule>());
      target->conversion = &rules;
      run_tables(source);
    } catch (const tk_final_exception&) {
      if (cancel_requested) {
        cancelled = true;
        if (!tallies.empty()) tallies.back().result = table_tally::outcome::cancelled;
        tk_log(3, "Conversion cancelled by the user");
      } else {
        ++tables_failed;
      }
    } catch (const ora_exception& e) {
      ++tables_failed;
      if (e.connection_lost())
        lose_connection(e);
      else
        report(e, "", true);
    } catch (const tk_exception& e) {
      ++tables_failed;
      report(e, "", true);
    } catch (const std::exception& e) {
      ++tables_failed;
      tk_log(3, "ERROR:\n%s", e.what());
      if (!silent) std::fprintf(stderr, "%s\n", e.what());
    }
    if (target) target->conversion = nullptr;
    clear_prefix();
    reset_progress();
  }
}

void vesper_converter::run_tables(dbf_database& source) {
  if (sel_tables.empty()) sel_tables = source.get_tables();
  // A run that converts nothing is no success.
  if (sel_tables.empty())
    throw tk_exception(tk_format(u"The folder %s holds no DBF table: nothing is converted", tk_printable_name(src)),
                       tk_exception::run_level);
  tables_total = static_cast<std::uint32_t>(sel_tables.size());
  tk_log(3, "Converting database %s (%d tables)", tk_printable_name(src), sel_tables.size());
  if (!silent) std::printf("Converting database %s(%zu tables)\n", tk_printable_name_utf8(src).c_str(), sel_tables.size());
  // Generated names depend only on the names of this run, so that a second
  // run finds the tables the first one created.
  ora_tn_validator names(sel_tables, {}, target->limits);
  // Index and constraint names are unique in the whole schema: one registry for the run.
  ora_in_validator index_names(target->limits);
  // The target's table list is read from its catalog here: whether a table
  // already exists decides overwrite, merge and skip.
  target->get_tables();
  open_journal();
  for (const std::u16string& name : sel_tables) sel_queries.emplace(name, u"");
  relations_ = container_relations();
  tk_log(1, "sel_queries.size=%d", sel_queries.size());
  for (const std::u16string& name : sel_tables) {
    tallies.push_back(table_tally{name});
    stop_if_cancelled();
    try {
      convert_table(source, names, name);
    } catch (const tk_final_exception&) {
      throw;
    } catch (const ora_exception& e) {
      if (e.connection_lost()) stop_run(e);
      fail_table(e);
    } catch (const tk_exception& e) {
      fail_table(e);
    } catch (const std::bad_alloc&) {
      // Costs this table only: what it held is freed, later tables may fit.
      fail_table(tk_exception("Not enough memory to convert the table"));
    } catch (const std::exception& e) {
      fail_table(tk_exception(e.what()));
    }
    close_bad_file();
    if (error_handler* handler = error_handler::find()) {
      handler->close_table_warnings(tk_printable_name_utf8(name));
      tallies.back().warnings = handler->warnings_of(tk_printable_name_utf8(name));
    }
    ++table_index;
  }
  relations_.build(*target);
  print_summary();
  remove_journal();
}

// The run finished: nothing is left to resume, unless a table failed. Its
// entry stays with those of the finished tables, so that a resumed run
// goes on with it and never loads a finished table again.
void vesper_converter::remove_journal() {
  if (!journal_) return;
  const bool every_table_finished = std::none_of(tallies.begin(), tallies.end(), [](const table_tally& tally) {
    return tally.result == table_tally::outcome::failed;
  });
  if (!every_table_finished) {
    say("The run's journal is kept: --resume converts the tables that did not finish and leaves the others alone");
    return;
  }
  try {
    journal_->remove();
  } catch (const ora_exception& e) {
    // Its cause (a full disk) was reported already; the log keeps it.
    tk_log(3, "Dropping the journal: %s", e.message);
    say("The run's journal could not be dropped; the next run of this folder without --resume replaces it");
  }
}

void vesper_converter::say(const std::string& text) const {
  tk_log(3, "%s", text);
  if (!silent) std::printf("%s\n", text.c_str());
}

// Every run keeps a journal, so that any run that is killed can be resumed.
void vesper_converter::open_journal() {
  journal_.reset();
  target->journal = nullptr;
  resumed_.clear();
  if (target->dry_run()) return;  // nothing is written that a run could resume
  journal_ = std::make_unique<ora_journal>(*target);
  try {
    if (resume) {
      resumed_ = journal_->read();
      if (resumed_.empty()) say("Nothing to resume: no journal of an unfinished run in this schema; every table is converted");
    }
    if (resumed_.empty()) journal_->start_run();
  } catch (const ora_exception& e) {
    if (e.connection_lost()) throw;
    say(tk_format("No journal is kept (%s): this run cannot be resumed if it is stopped", e.message));
    journal_.reset();
  }
  target->journal = journal_.get();
}

const ora_journal_entry* vesper_converter::resumed_entry(const std::u16string& source) const {
  for (const ora_journal_entry& entry : resumed_)
    if (entry.source == source) return &entry;
  return nullptr;
}

void vesper_converter::check_same_file(const ora_journal_entry& earlier, const ora_journal_entry& now,
                                       const std::u16string& name) const {
  if (earlier.same_file(now)) return;
  throw tk_exception(tk_format(
      "The file of table %s changed since the run being resumed (size, modification time, header date or record "
      "count differ), so it cannot be continued; its rows in Oracle are left as they are. Convert it again "
      "without --resume",
      tk_printable_name_utf8(name)));
}

namespace {

ora_journal_entry file_identity(const dbf_recordset& table) {
  ora_journal_entry entry;
  entry.source =
      tk_utf8_to_utf16_lenient(tk_path_utf8(std::filesystem::absolute(tk_native_path(table.file_name())).lexically_normal()));
  tk_file_size_and_exact_time(table.file_name(), entry.file_size, entry.file_time);
  entry.header_date = table.header_date();
  entry.record_count = table.record_count();
  return entry;
}

}  // namespace

void vesper_converter::fail_table(const tk_exception& e) {
  ++tables_failed;
  tallies.back().result = table_tally::outcome::failed;
  report(e, tk_printable_name_utf8(tallies.back().table), false);
}

// Nothing more can reach Oracle: the summary tells what was done, and the
// error (which ends the run) how far the table at hand got.
void vesper_converter::stop_run(const ora_exception& e) {
  ++tables_failed;
  table_tally& tally = tallies.back();
  tally.result = table_tally::outcome::failed;
  print_summary();
  report(tk_exception(tk_format("%s; the connection to Oracle is lost, the run stops with %I64u records of the table committed",
                                e.message, tally.inserted),
                      tk_exception::run_level),
         tk_printable_name_utf8(tally.table), false);
  throw tk_final_exception();  // a front end that keeps its process ends the run here
}

// The connection went away outside a table (reading the schema's tables,
// opening the journal, making the relations): the run stops as it does
// inside one, with its summary and the status of a run-stopping error.
void vesper_converter::lose_connection(const ora_exception& e) {
  print_summary();
  report(tk_exception(tk_format("%s; the connection to Oracle is lost, the run stops", e.message),
                      tk_exception::run_level),
         "", true);
}

void vesper_converter::print_summary() const {
  tk_log(3, "Summary:");
  if (!silent) std::printf("Summary:\n");
  for (const table_tally& tally : tallies) {
    std::string line = tally.line();
    tk_log(3, "%s", line);
    if (!silent) std::printf("%s\n", line.c_str());
  }
}

// Upper-cased before it is checked: upper case can take more bytes, or
// letters the database character set lacks.
std::u16string vesper_converter::target_name(ora_tn_validator& names, const std::u16string& customised) {
  std::u16string chosen = uppercase ? tk_wstring(customised).to_upper() : customised;
  if (!names.is_acceptable(chosen)) {
    chosen = names.get_safe_name(chosen);
    tk_log(2, "Store generated table name '%s'", chosen);
    names.add_existing_name(chosen);
  }
  names.restricted_names.push_back(chosen);
  return chosen;
}

void vesper_converter::convert_table(dbf_database& source, ora_tn_validator& names,
                                     const std::u16string& name) {
  set_current_table(name);
  records_total = 0;
  records_done = 0;
  if (!source.is_table_exist(name)) {
    ++tables_failed;
    tallies.back().result = table_tally::outcome::failed;
    if (!silent) std::fprintf(stderr, "Table %s not exists\n", tk_printable_name_utf8(name).c_str());
    return;
  }
  // The source reports some errors itself while the table opens (a missing
  // memo file): they name this table.
  if (error_handler* handler = error_handler::find()) handler->prefix = tk_printable_name_utf8(name);
  std::unique_ptr<udb_recordset> table = source.get_table(name, skip_idx ? 1 | dbf_recordset::skip_indexes : 1);
  auto& dbf = static_cast<dbf_recordset&>(*table);
  // Long field names first: key expressions are written with them.
  dbf_container::table_facts container = dbf_container::apply(dbf, tk_printable_name_utf8(name));
  dbf_field_properties::apply(dbf, tk_printable_name_utf8(name));
  if (!dbf.code_page_warning().empty())
    error_handler::report_warning({tk_printable_name_utf8(name), 0, {}, dbf.code_page_warning()});
  if (dbf.code_page_guessed())
    say(tk_format("Table %s: --encoding=auto reads its text in code page %d, which it looks like (sure: %d%%)",
                  tk_printable_name_utf8(name), dbf.get_codepage(), dbf.text_code_page().sureness));
  if (!skip_idx) {
    dbf_table_indexes reader(dbf, tk_printable_name_utf8(name), !skip_del);
    table->indexes = reader.read();
    for (const std::string& note : reader.notes()) say(tk_printable_name_utf8(name) + ": " + note);
    mark_primary_key(table->indexes, container.primary_tag);
  }
  if (table_opened) table_opened(dbf);
  // Without its memo file the table is copied with empty memos: incomplete
  // data, which the run must not report as a success.
  if (dbf.memo_missing()) {
    ++tables_failed;
    tallies.back().result = table_tally::outcome::failed;
  }
  udb_schema schema = table->schema;
  udb_indexes indexes = table->indexes;
  std::u16string target_table = target_name(names, modify1(name, schema, indexes));
  table->schema = std::move(schema);
  table->indexes = std::move(indexes);
  tallies.back().target = target_table;
  announce_renamed(source, name, target_table);
  const ora_journal_entry identity = file_identity(dbf);
  const ora_journal_entry* earlier = resumed_entry(identity.source);
  if (earlier && journal_) journal_->adopt(*earlier);
  if (earlier && earlier->finished) {
    say(tk_format("Table %s skipped: the run being resumed loaded it whole", tk_printable_name_utf8(name)));
    tallies.back().result = table_tally::outcome::skipped;
    return;
  }
  if (earlier) check_same_file(*earlier, identity, name);
  // A table the resumed run left half-loaded is continued, whatever the mode.
  const bool existed = target->is_table_exist(target_table);
  if (earlier && !existed) {
    // Dropped since: continuing after the journal's record would lose the
    // records loaded before it.
    say(tk_format("Table %s: the Oracle table %s that the resumed run half-loaded is gone; it is loaded from the "
                  "first record",
                  tk_printable_name_utf8(name), tk_printable_name_utf8(target_table)));
    earlier = nullptr;
  }
  if (existed && !earlier) {
    tk_log(2, "Table %s already exists", target_table);
    if (mode == 2) {
      tk_log(3, "Table %s skipped: the Oracle table %s exists", name, target_table);
      if (!silent)
        std::printf("Table %s skipped: the Oracle table %s exists\n", tk_printable_name_utf8(name).c_str(),
                    tk_printable_name_utf8(target_table).c_str());
      tallies.back().result = table_tally::outcome::skipped;
      return;
    }
    if (mode == 0) {
      tk_log(2, "Overwrite existing table");
      target->check_fits(table->schema);  // while the old table is still there
      try {
        target->delete_tab(target_table);
      } catch (const ora_exception& e) {
        if (e.ora_number() == ora_resource_busy)
          throw tk_exception("Cannot delete table because it is busy with another process");
        throw;
      }
    }
  }
  // Keys and indexes come after the rows, on tables this run creates or goes on with.
  const bool builds_indexes = earlier || !target->is_table_exist(target_table);
  std::unique_ptr<udb_recordset> destination = open_target(*table, target_table);
  if (mode == 1 && !earlier && !bool_dbf && !table->schema.conform_to(destination->schema))
    throw tk_exception(not_conforming);
  if (mode == 1 && !earlier && existed)
    merge_check(table->schema, destination->schema, uppercase).run(tk_printable_name_utf8(name));
  records_total = dbf.record_count();
  tk_log(3, "Converting table %s (%d records)", tk_printable_name(name), dbf.record_count());
  if (!silent) std::printf("Converting table %s(%u records)\n", tk_printable_name_utf8(name).c_str(), dbf.record_count());
  std::uint64_t from = 1;
  continuing_table_ = journal_ && earlier;
  if (journal_ && earlier) {
    journal_->continue_table(*earlier);
    from = earlier->last_record + 1;
    say(tk_format("Table %s continues after record #%I64u", tk_printable_name_utf8(name), earlier->last_record));
  } else if (journal_) {
    journal_->start_table(identity);
  }
  if (dbf.record_count() != 0 && !tab_def) {
    // The watcher's line is closed however the table ends.
    struct watched {
      vesper_progress* watcher;
      const std::atomic<std::uint32_t>& done;
      ~watched() {
        if (watcher) watcher->table_ended(done);
      }
    } scope{progress, records_done};
    if (progress) progress->table_started(name, dbf.record_count(), from - 1);
    copy_records(dbf, *destination, name, from);
  }
  if (builds_indexes) require_columns(*table, target_table);
  if (builds_indexes) create_indexes(*table, target_table);
  if (builds_indexes && !skip_idx) relations_.table_loaded(name, target_table, *table, std::move(container.relations));
  if (journal_) journal_->finish_table();
}

// The container's primary key tag: a candidate index in the file, the
// table's primary key in Oracle.
void vesper_converter::mark_primary_key(udb_indexes& indexes, const std::u16string& tag) const {
  if (tag.empty()) return;
  for (udb_index& index : indexes.list)
    if (tk_loose_equal(index.name, tag)) {
      index.unique = index.primary = true;
      return;
    }
  error_handler::report_warning(
      {tk_printable_name_utf8(tallies.back().table), 0, {},
       tk_format("the primary key tag %s did not become an Oracle index: the table gets no primary key", tag)});
}

// An index Oracle refuses (a unique key the rows repeat, a key too long)
// costs that index only: the rows are in, the table counts as converted.
void vesper_converter::create_indexes(const udb_recordset& table, const std::u16string& target_table) {
  if (table.indexes.empty()) return;
  const std::string shown = tk_printable_name_utf8(tallies.back().table);
  target->create_indexes(target_table, table.schema, table.indexes,
                         [&](const udb_index& index, const std::string& message) {
                           error_handler::report_warning(
                               {shown, 0, {},
                                tk_format("index %s is not created: %s", tk_printable_name_utf8(index.name), message)});
                         });
}

// A required field some rows leave empty stays nullable: the rows matter
// more than the constraint.
void vesper_converter::require_columns(const udb_recordset& table, const std::u16string& target_table) {
  const std::string shown = tk_printable_name_utf8(tallies.back().table);
  target->require_columns(target_table, table.schema, table.indexes,
                          [&](const std::u16string& column, const std::string& message) {
                            error_handler::report_warning(
                                {shown, 0, {},
                                 tk_format("field %s is required in the table, but the column stays nullable: %s",
                                           tk_printable_name_utf8(column), message)});
                          });
}

// A file whose name clashes in case with another's is converted under a
// name of its own; the user must learn which.
void vesper_converter::announce_renamed(const dbf_database& source, const std::u16string& name,
                                        const std::u16string& target_table) const {
  const dbf_renamed_file* renamed = source.renamed(name);
  if (!renamed) return;
  std::string text = tk_format("table %s: file %s converted as %s", renamed->table, renamed->file, target_table);
  tk_log(3, "%s", text);
  if (!silent) std::printf("%s\n", text.c_str());
}

std::unique_ptr<udb_recordset> vesper_converter::open_target(udb_recordset& source,
                                                             const std::u16string& target_table) {
  if (target->is_table_exist(target_table)) return target->get_table(target_table, 8);
  const std::string shown = tk_printable_name_utf8(tallies.back().table);
  target->column_notes = [shown](const std::u16string& column, const std::string& message) {
    error_handler::report_warning({shown, 0, tk_printable_name_utf8(column), message});
  };
  std::unique_ptr<udb_recordset> created = target->create_table(target_table, source.schema, udb_indexes());
  target->column_notes = nullptr;
  for (const std::string& warning : target->creation_warnings) error_handler::report_warning({shown, 0, {}, warning});
  return created;
}

void vesper_converter::copy_records(dbf_recordset& source, udb_recordset& destination,
                                    const std::u16string& name, std::uint64_t from) {
  auto* table = dynamic_cast<ora_table*>(&destination);
  if (table && can_load_in_batches(*table, name)) return copy_in_batches(source, *table, name, from);
  table_tally& tally = tallies.back();
  source.go_to(from);
  records_done = static_cast<std::uint32_t>(from - 1);
  for (; !source.is_eof(); source.next()) {
    stop_if_cancelled();
    ++tally.read;
    // The commit of this record's row makes its outcome final in the journal too.
    if (journal_) journal_->advance(source.current_number());
    try {
      if (append_one(source, destination, name))
        ++tally.inserted;
      else
        ++tally.deleted_skipped;
    } catch (const tk_final_exception&) {
      throw;
    } catch (const ora_exception& e) {
      ++records_failed;
      ++tally.failed;
      stop_on_lasting_error(e, tally);
      record_failed(source, source.current_number(), e, name);
      if (journal_) journal_->commit();  // its outcome is final now
    } catch (const tk_exception& e) {
      ++records_failed;
      ++tally.failed;
      record_failed(source, source.current_number(), e, name);
      if (journal_) journal_->commit();
    }
    record_through();
  }
}

bool vesper_converter::can_load_in_batches(const ora_table& target, const std::u16string& name) const {
  if (row_by_row) return false;
  if (ora_bulk_insert::can_bind(target)) return true;
  tk_log(3, "Table %s has a LONG column: its records are inserted one by one", tk_printable_name(name));
  return false;
}

// The journal moves with each commit of the loader, to the last record of
// the batches it commits; a stop asked for is honoured between batches,
// after the rows executed so far are committed with the journal.
void vesper_converter::copy_in_batches(dbf_recordset& source, ora_table& target, const std::u16string& name,
                                       std::uint64_t from) {
  table_tally& tally = tallies.back();
  auto failed = [&](const tk_exception& e, std::uint64_t number) {
    ++records_failed;
    ++tally.failed;
    record_failed(source, number, e, name);
  };
  batch_loader loader(
      target, tally, batch, commit, journal_.get(), failed,
      [&](std::uint64_t records) {
        records_failed += static_cast<std::uint32_t>(records);
        tally.failed += records;
      });
  source.go_to(from);
  records_done = static_cast<std::uint32_t>(from - 1);
  try {
    for (; !source.is_eof(); source.next()) {
      if (cancel_requested && loader.at_batch_boundary()) {
        loader.finish();
        stop_if_cancelled();
      }
      ++tally.read;
      const std::uint64_t number = source.current_number();
      std::unique_ptr<udb_record> holder;
      const udb_record* record = nullptr;
      try {
        record = record_to_append(source, name, holder);
        if (!record) ++tally.deleted_skipped;
      } catch (const tk_final_exception&) {
        throw;
      } catch (const tk_exception& e) {
        failed(e, number);
      }
      if (record) loader.add(*record, number);
      record_through();
    }
  } catch (const tk_final_exception&) {
    loader.abandon();
    throw;
  }
  loader.finish();
}

// A watcher is told every 256 records: often enough for a display that
// changes a few times a second, rarely enough to cost nothing per record.
void vesper_converter::record_through() {
  constexpr std::uint32_t every = 256;
  const std::uint32_t done = ++records_done;
  if (progress && done % every == 0) progress->advanced(done);
}

void vesper_converter::stop_if_cancelled() const {
  if (cancel_requested) throw tk_final_exception();
}

// Errors that every later record would meet too end the table (no space
// left) or the run (no connection left) with one message, instead of one per
// record.
void vesper_converter::stop_on_lasting_error(const ora_exception& e, const table_tally& tally) const {
  if (e.connection_lost()) throw e;  // the run stops, see run_tables
  if (ora_error_class::out_of_space(e.ora_number()))
    throw tk_exception(tk_format("%s; the table stops at record #%d with %I64u records inserted", e.message,
                                 records_done + 1, tally.inserted));
}

bool vesper_converter::append_one(udb_recordset& source, udb_recordset& destination,
                                  const std::u16string& name) {
  std::unique_ptr<udb_record> holder;
  const udb_record* record = record_to_append(source, name, holder);
  if (!record) return false;
  destination.append_record(*record);
  return true;
}

const udb_record* vesper_converter::record_to_append(udb_recordset& source, const std::u16string& name,
                                                     std::unique_ptr<udb_record>& holder) {
  tk_log(1, "Converting %d record", records_done + 1);
  auto& record = static_cast<dbf_record&>(source.get_item());
  tk_log(2, "udb_db_mutator::modify2(%s)", name);
  if (record.deleted) ++tallies.back().deleted;
  if (record.deleted && skip_del) return nullptr;
  if (!changes_records(name)) return &record;
  holder = modify2(name, record);
  return holder.get();
}

// A bad file that cannot be written (a full disk, a folder that is not
// there) is an error of its own, once per table; the table goes on, its
// rejected records reported with their Oracle messages as ever, so that
// the counts of what was committed stay true.
void vesper_converter::reject(dbf_recordset& source, std::uint64_t number, const tk_exception& e) {
  if (bad_file.empty() || bad_file_unwritable_) return;
  try {
    if (!bad_) bad_ = std::make_unique<dbf_bad_file>(source, bad_file_path(source), continuing_table_);
    bad_->add(source.bytes_of(number), number, e.message);
  } catch (const tk_exception& error) {
    bad_file_unwritable_ = true;
    report(error, tk_printable_name_utf8(tallies.back().table), true);
  } catch (const std::filesystem::filesystem_error& error) {
    bad_file_unwritable_ = true;
    report(tk_exception(tk_format("Cannot write the bad file: %s", error.what())),
           tk_printable_name_utf8(tallies.back().table), true);
  }
}

// In a folder each table's file takes its source file's name; a file name
// serves the first table with rejected records, later ones add their name
// to its stem.
std::filesystem::path vesper_converter::bad_file_path(const dbf_recordset& source) const {
  const std::filesystem::path given = tk_native_path(bad_file);
  // A name ending in a separator (a slash, or a backslash too on Windows) is a folder;
  // without its trailing separator the file's name joins it with the
  // platform's own.
  const bool ends_as_folder = given.has_relative_path() && !given.has_filename();
  if (ends_as_folder || std::filesystem::is_directory(given)) {
    const std::filesystem::path folder = ends_as_folder ? given.parent_path() : given;
    std::filesystem::create_directories(folder);
    return folder / tk_native_path(source.file_name()).filename();
  }
  if (bad_files_written_ == 0) return given;
  std::filesystem::path numbered = given;
  numbered.replace_filename(tk_native_path(tk_path_utf8(given.stem()) + "_" + tk_printable_name_utf8(source.name) +
                                           tk_path_utf8(given.extension())));
  return numbered;
}

void vesper_converter::close_bad_file() {
  bad_file_unwritable_ = false;
  if (!bad_) return;
  const std::string text = tk_format("%s: %d rejected records written to %s (Oracle's messages in %s)",
                                     tk_printable_name_utf8(tallies.back().table), bad_->count(),
                                     tk_path_utf8(bad_->path()), tk_path_utf8(bad_->messages_path()));
  bad_.reset();
  ++bad_files_written_;
  tk_log(3, "%s", text);
  if (!silent) std::printf("%s\n", text.c_str());
}

void vesper_converter::record_failed(dbf_recordset& source, std::uint64_t number, const tk_exception& e,
                                     const std::u16string& name) {
  reject(source, number, e);
  report(e, tk_format(u"%s, record #%I64u", tk_printable_name(name), number), false);
}
