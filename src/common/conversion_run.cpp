#include "conversion_run.hpp"


#include <algorithm>
#include <cstdio>
#include <new>
#include <thread>

#include "init_conversion.hpp"
#include "merge_check.hpp"
#include "run_presenter.hpp"
#include "tk_case.hpp"
#include "tk_file_name.hpp"
#include "tk_final_exception.hpp"
#include "tk_folder_cache.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "ordered_reporter.hpp"
#include "tk_reporter.hpp"
#include "udb_custom_conversion.hpp"
#include "udb_journal.hpp"
#include "udb_reject_file.hpp"
#include "udb_source.hpp"
#include "udb_target.hpp"
#include "udb_target_exception.hpp"
#include "vesper_bool_rule.hpp"
#include "vesper_progress.hpp"

namespace {

// Keeps a run's reporter quiet while it lasts: what a table tells as it
// opens was told when it was loaded.
struct quiet_reporter {
  ordered_reporter* reporter;
  explicit quiet_reporter(ordered_reporter* r) : reporter(r) {
    if (reporter) reporter->mute(true);
  }
  ~quiet_reporter() {
    if (reporter) reporter->mute(false);
  }
  quiet_reporter(const quiet_reporter&) = delete;
  quiet_reporter& operator=(const quiet_reporter&) = delete;
};

}  // namespace

namespace {

const char* const not_conforming = "The structure of data source does not conform to the destination table.";

}  // namespace

conversion_run::conversion_run(const vesper_settings& settings, const ora_db_mutator& customisation,
                               udb_source& source, udb_target* target, run_context& context)
    : settings_(settings),
      customisation_(customisation),
      source_(source),
      target_(target),
      context_(context),
      reporter_(context.reporter),
      status_(context.status ? *context.status : own_status_) {}

conversion_run::~conversion_run() = default;

run_result conversion_run::run() {
  tk_log(2, "conversion_run::run");
  started_ = std::chrono::steady_clock::now();
  {
    init_conversion scope(status_.done, true);
    // Tables find their memo, index and code page files in one listing of the folder.
    tk_folder_cache::scope listings;
    udb_custom_conversion rules;
    try {
      if (!target_) throw tk_exception("Not connected to Oracle", tk_exception::run_level);
      source_.open();
      if (settings_.logicals_as_is) rules.install(std::make_unique<vesper_bool_rule>());
      run_tables(rules);
    } catch (const tk_final_exception&) {
      if (context_.cancel_requested()) {
        result_.cancelled = true;
        if (helpers_.empty() && !result_.tallies.empty()) tally().result = table_tally::outcome::cancelled;
        tk_log(3, "Conversion cancelled by the user");
      } else {
        ++result_.tables_failed;
        // An error answered with Abort: the table at hand is not whole.
        if (in_table_ && helpers_.empty()) tally().result = table_tally::outcome::failed;
      }
      if (in_table_ && helpers_.empty()) result_.stopped_table = result_.tallies.size() - 1;
    } catch (const udb_target_exception& e) {
      ++result_.tables_failed;
      if (e.connection_lost())
        lose_connection(e);
      else
        reporter_.error(e, "", true);
    } catch (const tk_exception& e) {
      ++result_.tables_failed;
      reporter_.error(e, "", true);
    } catch (const std::exception& e) {
      ++result_.tables_failed;
      tk_log(3, "ERROR:\n%s", e.what());
      context_.presenter.complain(e.what());
    }
    journal_ = nullptr;
    if (target_) target_->end_run();
    for (conversion_run* helper : helpers_) {
      helper->journal_ = nullptr;
      helper->target_->end_run();
    }
    status_.reset();
  }
  return std::move(result_);
}

void conversion_run::run_tables(const udb_custom_conversion& rules) {
  if (settings_.tables.empty()) settings_.tables = source_.table_names();
  // A run that converts nothing is no success.
  if (settings_.tables.empty())
    throw tk_exception(tk_format(u"The folder %s holds no DBF table: nothing is converted", tk_printable_name(settings_.folder)),
                       tk_exception::run_level);
  status_.tables_total = static_cast<std::uint32_t>(settings_.tables.size());
  const bool keys_step = settings_.share.at == table_share::step::keys;
  if (!keys_step) tk_log(3, "Converting database %s (%d tables)", tk_printable_name(settings_.folder), settings_.tables.size());
  if (!keys_step)
    context_.presenter.say(tk_format("Converting database %s(%d tables)", tk_printable_name_utf8(settings_.folder),
                                     settings_.tables.size()));
  udb_target_options options;
  options.tables = settings_.tables;
  options.upper_case = settings_.upper_case;
  options.owner = settings_.schema;
  options.tablespace = settings_.tablespace;
  options.lob_tablespace = settings_.lob_tablespace;
  options.conversion = &rules;
  target_->start_run(options);
  relations_ = container_relations();
  if (keys_step) return make_job_keys();
  open_journal();
  for (const std::u16string& name : settings_.tables) settings_.table_queries.emplace(name, u"");
  tk_log(1, "settings_.table_queries.size=%d", settings_.table_queries.size());
  if (!helpers_.empty()) return run_in_lanes(options);
  for (const std::u16string& name : settings_.tables) {
    result_.tallies.push_back(table_tally{name});
    stop_if_cancelled();
    try {
      in_table_ = true;
      convert_table(name);
      in_table_ = false;
    } catch (const tk_final_exception&) {
      throw;
    } catch (const udb_target_exception& e) {
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
    in_table_ = false;
    close_bad_file();
    reporter_.close_table_warnings(tk_printable_name_utf8(name));
    tally().warnings = reporter_.warnings_of(tk_printable_name_utf8(name));
    if (context_.progress) context_.progress->table_finished(tally());
    ++status_.table_index;
  }
  if (!settings_.share.keys_later) relations_.build(*target_, reporter_);
  print_summary();
  remove_journal();
}

// Each table was loaded by a worker's run of its own, which told what
// opening it tells; here it is opened again only for its relations.
void conversion_run::make_job_keys() {
  if (settings_.skip_indexes) return;  // no keys, as a run of one agent makes none
  for (const std::u16string& name : settings_.tables) {
    try {
      add_loaded_relations(name);
    } catch (const tk_exception& e) {
      reporter_.warn({tk_printable_name_utf8(name), 0, {},
                      tk_format("its file does not open again (%s): the foreign keys of its relations are not made",
                                e.message)});
    }
  }
  relations_.build(*target_, reporter_);
}

void conversion_run::add_loaded_relations(const std::u16string& name) {
  if (!source_.has_table(name)) return;
  std::optional<quiet_reporter> opening(std::in_place, context_.ordered);
  udb_opened_table opened = source_.open_table(name, [](const std::string&) {});
  opening.reset();
  udb_schema schema = opened.table->schema;
  udb_indexes indexes = opened.table->indexes;
  tk_log_reporter told_already;
  const std::u16string customised =
      customisation_.customise_table(name, schema, indexes, settings_.logicals_as_is, told_already);
  const std::u16string target_table = target_->table_name(customised);
  if (!target_->table_exists(target_table)) return;
  relations_.table_loaded(name, target_table, schema, indexes, std::move(opened.relations));
}

// Each session takes the biggest table left; the leader's thread is one of
// them. Foreign keys come after every table, on the leader's session.
void conversion_run::run_in_lanes(const udb_target_options& options) {
  std::vector<std::uint64_t> sizes;
  for (const std::u16string& name : settings_.tables) sizes.push_back(source_.table_size(name));
  std::vector<std::size_t> parts;
  for (const std::uint64_t bytes : sizes) parts.push_back(parts_of(bytes));
  run_lanes lanes(settings_.tables, sizes, parts);
  lanes_ = &lanes;
  if (context_.progress) {
    std::uint64_t records = 0;
    for (const std::u16string& name : settings_.tables) records += source_.table_records(name);
    context_.progress->run_started(records);
  }
  struct forget {
    conversion_run& run;
    ~forget() {
      run.lanes_ = nullptr;
      for (conversion_run* helper : run.helpers_) helper->lanes_ = nullptr;
    }
  } scope{*this};
  for (conversion_run* helper : helpers_) helper->join(lanes, options, *this);
  std::vector<std::thread> threads;
  for (conversion_run* helper : helpers_) threads.emplace_back([helper] { helper->load_tables(); });
  load_tables();
  for (std::thread& thread : threads) thread.join();
  after_lanes();
  lanes.relations().build(*target_, reporter_);
  print_summary();
  remove_journal();
}

// The sessions' counts become the run's, the tallies of the tables taken in
// the folder's order; a stop in any session stops the run as it would in one.
void conversion_run::after_lanes() {
  result_.tallies = lanes_->take_tallies();
  for (conversion_run* helper : helpers_) {
    result_.tables_failed += helper->result_.tables_failed;
    result_.records_failed += helper->result_.records_failed;
    lost_ = lost_ || helper->lost_;
    aborted_ = aborted_ || helper->aborted_;
  }
  if (lost_) {
    print_summary();
    reporter_.error(tk_exception("The connection to Oracle is lost, the run stops; --resume goes on after the "
                                 "records committed",
                                 tk_exception::run_level),
                    "", false);
    throw tk_final_exception();
  }
  if (aborted_ || context_.cancel_requested()) throw tk_final_exception();
}

void conversion_run::join(run_lanes& lanes, const udb_target_options& options, const conversion_run& leader) {
  lanes_ = &lanes;
  settings_.tables = leader.settings_.tables;
  settings_.table_queries = leader.settings_.table_queries;
  source_.open();
  target_->start_run(options);
  resumed_ = leader.resumed_;
  journal_ = leader.journal_ ? target_->open_journal() : nullptr;
}

void conversion_run::load_tables() {
  try {
    while (std::optional<run_lanes::work> work = lanes_->take()) {
      at_ = work->at;
      if (lanes_->parts(at_))
        load_part(work->part);
      else
        load_one();
      if (lost_ || aborted_ || context_.cancel_requested()) lanes_->stop();
    }
  } catch (const std::exception& e) {
    // Only an error of the end steps' own bookkeeping gets here.
    lanes_->stop();
    aborted_ = true;
    context_.presenter.complain(e.what());
  }
}

// A table (or part) on a session: what fails the table alone is told and
// counted here; a stop and a lost connection are handed back, since what
// they end differs between a whole table and a part.
conversion_run::lane_outcome conversion_run::convert_in_lane(const std::u16string& name) {
  lane_outcome outcome;
  try {
    in_table_ = true;
    convert_table(name);
  } catch (const tk_final_exception&) {
    outcome.stopped = true;
  } catch (const udb_target_exception& e) {
    if (e.connection_lost()) {
      outcome.lost = e.message;
    } else {
      fail_table(e);
    }
  } catch (const tk_exception& e) {
    fail_table(e);
  } catch (const std::bad_alloc&) {
    fail_table(tk_exception("Not enough memory to convert the table"));
  } catch (const std::exception& e) {
    fail_table(tk_exception(e.what()));
  }
  in_table_ = false;
  return outcome;
}

// As a run of one session goes through a table, but a lost connection or a
// stop ends this session's share only, and the keys and indexes wait for
// their turn in the folder's order.
void conversion_run::load_one() {
  const std::u16string name = tally().table;
  pending_.reset();
  const lane_outcome outcome = convert_in_lane(name);
  if (outcome.stopped) {
    if (context_.cancel_requested()) {
      tally().result = table_tally::outcome::cancelled;
    } else {
      ++result_.tables_failed;
      tally().result = table_tally::outcome::failed;
      aborted_ = true;
    }
  } else if (outcome.lost) {
    lost_ = true;
    ++result_.tables_failed;
    tally().result = table_tally::outcome::failed;
    reporter_.error(tk_exception(tk_format("%s; the connection to Oracle is lost, %I64u records of the table are committed",
                                           *outcome.lost, tally().inserted)),
                    tk_printable_name_utf8(name), true);
  }
  lanes_->named(at_);
  close_bad_file();
  ++status_.table_index;
  const std::size_t at = at_;
  std::shared_ptr<loaded_table> loaded = std::move(pending_);
  lanes_->ended(at, [at, loaded](conversion_run& lane) { lane.end_table(at, loaded); }, *this);
  at_ = at;
}

// As load_one, with the part's own counts, which join the table's as the
// part ends; the first part prepares the table (or says it needs no parts),
// and the last part to end ends it.
void conversion_run::load_part(std::size_t index) {
  table_parts& parts = *lanes_->parts(at_);
  table_tally part{tally().table};
  part_ = part_at{&parts, index, parts.first_to_start()};
  part_tally_ = &part;
  pending_.reset();
  const lane_outcome outcome = convert_in_lane(part.table);
  if (outcome.stopped) {
    part.result = context_.cancel_requested() ? table_tally::outcome::cancelled : table_tally::outcome::failed;
    aborted_ = aborted_ || !context_.cancel_requested();
  } else if (outcome.lost) {
    lost_ = true;
    part.result = table_tally::outcome::failed;
    reporter_.error(tk_exception(tk_format("%s; the connection to Oracle is lost, %I64u records of this session's "
                                           "ranges of the table are committed",
                                           *outcome.lost, part.inserted)),
                    tk_printable_name_utf8(part.table), true);
  }
  const bool first = part_.first;
  if (first) {
    parts.prepared(false, {}, {});  // the others' wait ends, whatever became of the table
    lanes_->named(at_);
    const std::size_t at = at_;
    std::shared_ptr<loaded_table> loaded = std::move(pending_);
    parts.set_end([at, loaded](conversion_run& lane) { lane.end_table(at, loaded); });
  }
  close_bad_file();
  part_tally_ = nullptr;
  part_ = part_at{};
  const table_parts::ending ending = parts.part_ended(part, tally());
  if (ending.newly_failed) ++result_.tables_failed;
  if (!ending.last) return;
  ++status_.table_index;
  const std::size_t at = at_;
  lanes_->ended(at, parts.take_end(), *this);
  at_ = at;
}

void conversion_run::load_waiting_part(udb_source_table& table, const std::u16string& name) {
  std::u16string target;
  std::vector<table_parts::range> ranges;
  if (!part_.parts->await(target, ranges)) return;
  tally().target = target;
  // Records are read as the first part reads them; what the customisation
  // tells was told there.
  udb_schema schema = table.schema;
  udb_indexes indexes = table.indexes;
  tk_log_reporter told_already;
  customisation_.customise_table(name, schema, indexes, settings_.logicals_as_is, told_already);
  table.schema = std::move(schema);
  table.indexes = std::move(indexes);
  std::unique_ptr<udb_recordset> destination = target_->open_table(target);
  load_ranges(table, *destination, name, part_.parts->share(ranges, part_.index));
}

void conversion_run::load_ranges(udb_source_table& table, udb_recordset& destination, const std::u16string& name,
                                 const std::vector<table_parts::range>& ranges) {
  for (const table_parts::range& range : ranges) {
    if (range.entry.finished) continue;
    const std::uint64_t from = std::max(range.first, range.entry.last_record + 1);
    if (journal_) {
      journal_->adopt(range.entry);
      journal_->continue_table(range.entry);
    }
    if (from > range.first)
      say(tk_format("Table %s continues after record #%I64u (its records %I64u to %I64u)", tk_printable_name_utf8(name),
                    from - 1, range.first, range.last));
    if (from <= range.last && !settings_.definitions_only) {
      struct watched {
        vesper_progress* watcher;
        const std::atomic<std::uint32_t>& done;
        ~watched() {
          if (watcher) watcher->table_ended(done);
        }
      } scope{lanes_ ? context_.progress : nullptr, status_.records_done};
      // A run of one session going on with a split run's ranges keeps the
      // display of whole tables, which has no line for a range.
      if (lanes_ && context_.progress) context_.progress->range_started(name, table.record_count(), range.first, range.last, from - 1);
      copy_records(table, destination, name, from, {}, range.last);
    }
    if (!journal_) continue;
    journal_->settle_table();
    journal_->finish_entry(range.entry.source);
  }
}

namespace {

// A range's journal entry: the table's file, then a control character that
// paths do not hold in practice and the range's first and last record, so
// that a resumed run finds the ranges again.
constexpr char16_t range_mark = u'\u0001';

std::u16string range_source(const std::u16string& source, std::uint64_t first, std::uint64_t last) {
  return source + range_mark + tk_utf8_to_utf16_lenient(std::to_string(first) + "-" + std::to_string(last));
}

}  // namespace

std::vector<table_parts::range> conversion_run::resumed_ranges(const udb_journal_entry& identity) const {
  std::vector<table_parts::range> ranges;
  const std::u16string prefix = identity.source + range_mark;
  for (const udb_journal_entry& entry : resumed_) {
    if (entry.source.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string bounds = tk_utf16_to_utf8_lenient(entry.source.substr(prefix.size()));
    table_parts::range range;
    range.first = std::strtoull(bounds.c_str(), nullptr, 10);
    const std::size_t dash = bounds.find('-');
    range.last = dash == std::string::npos ? 0 : std::strtoull(bounds.c_str() + dash + 1, nullptr, 10);
    range.entry = entry;
    if (range.first == 0 || range.last < range.first) continue;
    ranges.push_back(range);
  }
  std::sort(ranges.begin(), ranges.end(),
            [](const table_parts::range& a, const table_parts::range& b) { return a.first < b.first; });
  return ranges;
}

std::vector<table_parts::range> conversion_run::new_ranges(const udb_journal_entry& identity, std::uint64_t records,
                                                           std::size_t parts) {
  std::vector<table_parts::range> ranges;
  for (std::size_t p = 0; p < parts; ++p) ranges.push_back(new_range(identity, 1 + records * p / parts, records * (p + 1) / parts));
  return ranges;
}

table_parts::range conversion_run::new_range(const udb_journal_entry& identity, std::uint64_t first, std::uint64_t last) {
  table_parts::range range;
  range.first = first;
  range.last = last;
  range.entry = identity;
  range.entry.source = range_source(identity.source, first, last);
  range.entry.last_record = first - 1;
  range.entry.finished = false;
  if (journal_) journal_->start_table(range.entry);
  return range;
}

// The entries of a split table are committed one by one before any of its
// rows: a run killed among them left records in no range, none of which
// reached Oracle. Each such gap becomes a range of its own (cut where the
// even split of `parts` ranges cuts, so that a worker finds its range), so
// that the table is loaded whole. Ranges that overlap come from two
// different splits: going on with both would insert records twice.
std::vector<table_parts::range> conversion_run::covering_ranges(const udb_journal_entry& identity,
                                                                const std::u16string& name, std::uint64_t records,
                                                                const std::vector<table_parts::range>& found,
                                                                std::size_t parts) {
  std::vector<table_parts::range> whole;
  std::uint64_t next = 1;
  const auto fill_to = [&](std::uint64_t last) {
    while (next <= last) {
      std::uint64_t end = last;
      for (std::size_t p = 1; p < parts; ++p) {
        const std::uint64_t cut = records * p / parts;
        if (cut >= next && cut < end) end = cut;
      }
      say(tk_format("Table %s: the run being resumed wrote no journal entry for its records %I64u to %I64u; they "
                    "are loaded as a range of their own",
                    tk_printable_name_utf8(name), next, end));
      whole.push_back(new_range(identity, next, end));
      next = end + 1;
    }
  };
  for (const table_parts::range& range : found) {
    if (range.first < next || range.last > records)
      throw tk_exception(tk_format("The journal holds ranges of table %s that overlap or pass its %I64u records (left "
                                   "by two runs that split it differently), so it cannot be continued; its rows in "
                                   "Oracle are left as they are. Convert it again without --resume",
                                   tk_printable_name_utf8(name), records));
    fill_to(range.first - 1);
    whole.push_back(range);
    next = range.last + 1;
  }
  fill_to(records);
  return whole;
}

// Parts of at least 4 MiB, one per session at most. Two sessions cannot
// share one bad file, so a run that keeps one loads each table whole.
std::size_t conversion_run::parts_of(std::uint64_t bytes) const {
  constexpr std::uint64_t part_bytes = 4u << 20;
  if (!settings_.bad_file.empty() || settings_.definitions_only) return 1;
  const std::uint64_t parts = std::min<std::uint64_t>(helpers_.size() + 1, bytes / part_bytes);
  return parts < 2 ? 1 : static_cast<std::size_t>(parts);
}

void conversion_run::end_table(std::size_t at, const std::shared_ptr<loaded_table>& loaded) {
  at_ = at;
  if (loaded && !lost_) {
    try {
      finish_loaded(*loaded);
    } catch (const udb_target_exception& e) {
      if (e.connection_lost()) {
        lost_ = true;
        lanes_->stop();
      }
      fail_table(e);
    } catch (const tk_exception& e) {
      fail_table(e);
    }
  }
  const std::string shown = tk_printable_name_utf8(tally().table);
  reporter_.close_table_warnings(shown);
  tally().warnings = reporter_.warnings_of(shown);
  if (context_.progress) context_.progress->table_finished(tally());
}

void conversion_run::finish_loaded(const loaded_table& loaded) {
  if (loaded.builds_indexes) {
    require_columns(loaded.schema, loaded.indexes, loaded.target);
    create_indexes_of(loaded.schema, loaded.indexes, loaded.target);
    if (!settings_.skip_indexes)
      lanes_->relations().table_loaded(loaded.name, loaded.target, loaded.schema, loaded.indexes, loaded.relations);
  }
  if (journal_ && !loaded.journal_source.empty()) journal_->finish_entry(loaded.journal_source);
}

// The run finished: nothing is left to resume, unless a table failed. Its
// entry stays with those of the finished tables, so that a resumed run
// goes on with it and never loads a finished table again.
void conversion_run::remove_journal() {
  // The table's later steps go on from its entries.
  if (!journal_ || settings_.share.at == table_share::step::prepare || settings_.share.at == table_share::step::range)
    return;
  const bool every_table_finished = std::none_of(result_.tallies.begin(), result_.tallies.end(), [](const table_tally& tally) {
    return tally.result == table_tally::outcome::failed;
  });
  if (!every_table_finished) {
    say("The run's journal is kept: --resume converts the tables that did not finish and leaves the others alone");
    return;
  }
  try {
    for (conversion_run* helper : helpers_)
      if (helper->journal_) helper->journal_->remove();
    journal_->remove();
  } catch (const udb_target_exception& e) {
    // Its cause (a full disk) was reported already; the log keeps it.
    tk_log(3, "Dropping the journal: %s", e.message);
    say("The run's journal could not be dropped; the next run of this folder without --resume replaces it");
  }
}

void conversion_run::say(const std::string& text) const {
  tk_log(3, "%s", text);
  context_.presenter.say(text);
}

// Every run keeps a journal, so that any run that is killed can be resumed;
// a target that writes nothing a run could resume gives none.
void conversion_run::open_journal() {
  resumed_.clear();
  journal_ = target_->open_journal();
  if (!journal_) return;
  try {
    if (settings_.resume) {
      resumed_ = journal_->read();
      if (resumed_.empty()) say("Nothing to resume: no journal of an unfinished run in this schema; every table is converted");
    }
    if (resumed_.empty()) journal_->start_run();
  } catch (const udb_target_exception& e) {
    if (e.connection_lost()) throw;
    say(tk_format("No journal is kept (%s): this run cannot be resumed if it is stopped", e.message));
    target_->close_journal();
    journal_ = nullptr;
  }
}

const udb_journal_entry* conversion_run::resumed_entry(const std::u16string& source) const {
  for (const udb_journal_entry& entry : resumed_)
    if (entry.source == source) return &entry;
  return nullptr;
}

void conversion_run::check_same_file(const udb_journal_entry& earlier, const udb_journal_entry& now,
                                       const std::u16string& name) const {
  if (earlier.same_file(now)) return;
  throw tk_exception(tk_format(
      "The file of table %s changed since the run being resumed (size, modification time, header date or record "
      "count differ), so it cannot be continued; its rows in Oracle are left as they are. Convert it again "
      "without --resume",
      tk_printable_name_utf8(name)));
}

void conversion_run::fail_table(const tk_exception& e) {
  if (!part_tally_) ++result_.tables_failed;
  tally().result = table_tally::outcome::failed;
  reporter_.error(e, tk_printable_name_utf8(tally().table), false);
}

// Nothing more can reach Oracle: the summary tells what was done, and the
// error (which ends the run) how far the table at hand got.
void conversion_run::stop_run(const udb_target_exception& e) {
  ++result_.tables_failed;
  table_tally& tally = this->tally();
  tally.result = table_tally::outcome::failed;
  print_summary();
  reporter_.error(tk_exception(tk_format("%s; the connection to Oracle is lost, the run stops with %I64u records of the table committed",
                                e.message, tally.inserted),
                      tk_exception::run_level),
         tk_printable_name_utf8(tally.table), false);
  throw tk_final_exception();  // a front end that keeps its process ends the run here
}

// The connection went away outside a table (reading the schema's tables,
// opening the journal, making the relations): the run stops as it does
// inside one, with its summary and the status of a run-stopping error.
void conversion_run::lose_connection(const udb_target_exception& e) {
  print_summary();
  reporter_.error(tk_exception(tk_format("%s; the connection to Oracle is lost, the run stops", e.message),
                      tk_exception::run_level),
         "", true);
}

void conversion_run::print_summary() const {
  tk_log(3, "Summary:");
  context_.presenter.say("Summary:");
  for (const table_tally& tally : result_.tallies) {
    std::string line = tally.line();
    tk_log(3, "%s", line);
    context_.presenter.say(line);
  }
  const std::string timing = timing_line();
  tk_log(3, "%s", timing);
  context_.presenter.say(timing);
}

// Whole tenths of seconds, whatever the locale; a run shorter than a
// millisecond counts as one, so that the rate stays finite.
std::string conversion_run::timing_line() const {
  std::uint64_t records = 0;
  for (const table_tally& tally : result_.tallies) records += tally.inserted;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_);
  const auto ms = static_cast<std::uint64_t>(std::max<std::int64_t>(elapsed.count(), 1));
  return tk_format("Run: %d table%s, %I64u records inserted in %I64u.%I64u s (%I64u records/s)", result_.tallies.size(),
                   result_.tallies.size() == 1 ? "" : "s", records, ms / 1000, ms / 100 % 10, records * 1000 / ms);
}

void conversion_run::convert_table(const std::u16string& name) {
  status_.set_current_table(name);
  status_.records_total = 0;
  status_.records_done = 0;
  if (!source_.has_table(name)) {
    if (part_.parts && !part_.first) return;  // the first part tells
    if (!part_tally_) ++result_.tables_failed;
    tally().result = table_tally::outcome::failed;
    context_.presenter.complain(tk_format("Table %s not exists", tk_printable_name_utf8(name)));
    return;
  }
  // A part that another session prepares opens the table quietly: that
  // session told what opening it tells. So do a worker's later steps.
  const bool waiting_part = part_.parts && !part_.first;
  const bool later_step = settings_.share.at == table_share::step::range || settings_.share.at == table_share::step::finish;
  std::optional<quiet_reporter> opening;
  if (waiting_part || later_step) opening.emplace(context_.ordered);
  udb_opened_table opened = source_.open_table(name, [this, waiting_part, later_step](const std::string& line) {
    if (!waiting_part && !later_step) say(line);
  });
  opening.reset();
  udb_source_table& table = *opened.table;
  if (waiting_part) return load_waiting_part(table, name);
  if (later_step) return convert_share_step(opened, name);
  const bool preparing = settings_.share.at == table_share::step::prepare;
  if (preparing && !journal_)
    throw tk_exception("The workers load this table in ranges, which needs the run's journal in the schema; none is kept");
  const bool syncing = settings_.existing_tables == existing_table_mode::sync;
  // Before anything changes in the target: a table without a key is not synced.
  const std::vector<std::size_t> sync_key = syncing ? sync_key_fields(table, name) : std::vector<std::size_t>();
  // Without its memo file the table is copied with empty memos: incomplete
  // data, which the run must not report as a success.
  if (table.incomplete()) {
    if (!part_tally_) ++result_.tables_failed;
    tally().result = table_tally::outcome::failed;
  }
  udb_schema schema = table.schema;
  udb_indexes indexes = table.indexes;
  const std::u16string customised = customisation_.customise_table(name, schema, indexes, settings_.logicals_as_is, reporter_);
  if (lanes_) lanes_->await_naming(at_);
  const std::u16string target_table = target_->table_name(customised);
  if (lanes_) lanes_->named(at_);
  table.schema = std::move(schema);
  table.indexes = std::move(indexes);
  tally().target = target_table;
  announce_renamed(name, target_table);
  const udb_journal_entry identity = table.identity();
  const udb_journal_entry* earlier = resumed_entry(identity.source);
  if (earlier && journal_) journal_->adopt(*earlier);
  // A sync goes through every record again: the digests tell what was sent.
  if (syncing && earlier && !earlier->finished) earlier = nullptr;
  if (earlier && earlier->finished) {
    say(tk_format("Table %s skipped: the run being resumed loaded it whole", tk_printable_name_utf8(name)));
    tally().result = table_tally::outcome::skipped;
    return;
  }
  if (earlier) check_same_file(*earlier, identity, name);
  // A table the resumed run left half-loaded is continued, whatever the mode.
  const bool existed = target_->table_exists(target_table);
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
    if (settings_.existing_tables == existing_table_mode::skip) {
      tk_log(3, "Table %s skipped: the Oracle table %s exists", name, target_table);
      context_.presenter.say(tk_format("Table %s skipped: the Oracle table %s exists", tk_printable_name_utf8(name),
                                       tk_printable_name_utf8(target_table)));
      tally().result = table_tally::outcome::skipped;
      return;
    }
    if (settings_.existing_tables == existing_table_mode::overwrite) {
      tk_log(2, "Overwrite existing table");
      target_->check_fits(table.schema);  // while the old table is still there
      target_->drop_table(target_table);
    }
  }
  // Keys and indexes come after the rows, on tables this run creates or goes on with.
  const bool builds_indexes = earlier || !target_->table_exists(target_table);
  std::unique_ptr<udb_recordset> destination = open_target(table, target_table);
  if (syncing && !existed) create_key_index(table, target_table, sync_key);
  if (settings_.existing_tables == existing_table_mode::merge && !earlier && !settings_.logicals_as_is && !table.schema.conform_to(destination->schema))
    throw tk_exception(not_conforming);
  if (settings_.existing_tables == existing_table_mode::merge && !earlier && existed)
    merge_check(table.schema, destination->schema, settings_.upper_case, reporter_).run(tk_printable_name_utf8(name));
  if (syncing && existed) destination = follow_added_fields(table, target_table, std::move(destination));
  status_.records_total = table.record_count();
  tk_log(3, "Converting table %s (%d records)", tk_printable_name(name), table.record_count());
  context_.presenter.say(tk_format("Converting table %s(%d records)", tk_printable_name_utf8(name), table.record_count()));
  // A table the run being resumed split goes on range by range; one of a
  // run of several sessions may be split now, unless it is being continued whole.
  std::vector<table_parts::range> ranges = earlier ? resumed_ranges(identity) : std::vector<table_parts::range>();
  if (preparing && earlier) ranges = prepared_ranges(identity, *earlier, name, table.record_count());
  else if (!ranges.empty()) ranges = covering_ranges(identity, name, table.record_count(), ranges, 1);
  const bool split = !ranges.empty() || (preparing && !earlier) ||
                     (part_.parts && !earlier && !settings_.definitions_only && table.record_count() >= part_.parts->parts());
  std::uint64_t from = 1;
  continuing_table_ = journal_ && earlier;
  if (split && journal_ && !earlier) {
    journal_->start_table(identity);
  } else if (split) {
  } else if (journal_ && earlier) {
    journal_->continue_table(*earlier);
    from = earlier->last_record + 1;
    say(tk_format("Table %s continues after record #%I64u", tk_printable_name_utf8(name), earlier->last_record));
  } else if (journal_) {
    journal_->start_table(identity);
  }
  if (split && ranges.empty())
    ranges = new_ranges(identity, table.record_count(), part_.parts ? part_.parts->parts() : settings_.share.parts);
  if (part_.parts) part_.parts->prepared(split, target_table, ranges);
  // The ranges are loaded and the table ended in steps of their own.
  if (preparing) return;
  if (split) {
    load_ranges(table, *destination, name, part_.parts ? part_.parts->share(ranges, part_.index) : ranges);
  } else if (table.record_count() != 0 && !settings_.definitions_only) {
    // The watcher's line is closed however the table ends.
    struct watched {
      vesper_progress* watcher;
      const std::atomic<std::uint32_t>& done;
      ~watched() {
        if (watcher) watcher->table_ended(done);
      }
    } scope{context_.progress, status_.records_done};
    if (context_.progress) context_.progress->table_started(name, table.record_count(), from - 1);
    copy_records(table, *destination, name, from, sync_key);
  }
  if (lanes_) {
    if (journal_ && !split) journal_->settle_table();
    pending_ = std::make_shared<loaded_table>(loaded_table{name, target_table, journal_ ? identity.source : std::u16string(),
                                                           builds_indexes, table.schema, table.indexes,
                                                           std::move(opened.relations)});
    return;
  }
  if (builds_indexes) require_columns(table.schema, table.indexes, target_table);
  if (builds_indexes) create_indexes(table, target_table);
  if (builds_indexes && !settings_.skip_indexes) relations_.table_loaded(name, target_table, table, std::move(opened.relations));
  if (journal_ && split) journal_->finish_entry(identity.source);
  else if (journal_) journal_->finish_table();
}

// An index Oracle refuses (a unique key the rows repeat, a key too long)
// costs that index only: the rows are in, the table counts as converted.
void conversion_run::create_indexes(const udb_recordset& table, const std::u16string& target_table) {
  create_indexes_of(table.schema, table.indexes, target_table);
}

void conversion_run::create_indexes_of(const udb_schema& schema, const udb_indexes& indexes,
                                       const std::u16string& target_table) {
  if (indexes.empty()) return;
  const std::string shown = tk_printable_name_utf8(tally().table);
  target_->create_indexes(target_table, schema, indexes,
                         [&](const udb_index& index, const std::string& message) {
                           reporter_.warn(
                               {shown, 0, {},
                                tk_format("index %s is not created: %s", tk_printable_name_utf8(index.name), message)});
                         });
}

// A required field some rows leave empty stays nullable: the rows matter
// more than the constraint.
void conversion_run::require_columns(const udb_schema& schema, const udb_indexes& indexes,
                                     const std::u16string& target_table) {
  const std::string shown = tk_printable_name_utf8(tally().table);
  target_->require_columns(target_table, schema, indexes,
                          [&](const std::u16string& column, const std::string& message) {
                            reporter_.warn(
                                {shown, 0, {},
                                 tk_format("field %s is required in the table, but the column stays nullable: %s",
                                           tk_printable_name_utf8(column), message)});
                          });
}

// A file whose name clashes in case with another's is converted under a
// name of its own; the user must learn which.
void conversion_run::announce_renamed(const std::u16string& name, const std::u16string& target_table) const {
  const std::string text = source_.renamed_note(name, target_table);
  if (text.empty()) return;
  tk_log(3, "%s", text);
  context_.presenter.say(text);
}

std::unique_ptr<udb_recordset> conversion_run::open_target(udb_recordset& source,
                                                             const std::u16string& target_table) {
  if (target_->table_exists(target_table)) return target_->open_table(target_table);
  const std::string shown = tk_printable_name_utf8(tally().table);
  return target_->create_table(
      target_table, source.schema,
      [&](const std::u16string& column, const std::string& message) {
        reporter_.warn({shown, 0, tk_printable_name_utf8(column), message});
      },
      [&](const std::string& warning) { reporter_.warn({shown, 0, {}, warning}); });
}

// The table's writer decides how the records reach it; a stop asked for is
// honoured where the writer holds nothing back, after it committed what it
// wrote so far.
void conversion_run::copy_records(udb_source_table& source, udb_recordset& destination,
                                    const std::u16string& name, std::uint64_t from,
                                    const std::vector<std::size_t>& sync_key, std::uint64_t to) {
  table_tally& tally = this->tally();
  udb_write_sinks sinks;
  sinks.failed = [&](const tk_exception& e, std::uint64_t number) {
    ++result_.records_failed;
    ++tally.failed;
    record_failed(source, number, e, name);
  };
  sinks.lost = [&](std::uint64_t records) {
    result_.records_failed += static_cast<std::uint32_t>(records);
    tally.failed += records;
  };
  sinks.inserted = [&](std::uint64_t rows) { tally.inserted += rows; };
  if (!sync_key.empty()) {
    tally.synced = true;
    sinks.updated = [&](std::uint64_t rows) { tally.updated += rows; };
    sinks.unchanged = [&](std::uint64_t records) { tally.unchanged += records; };
    sinks.removed = [&](std::uint64_t rows) { tally.removed += rows; };
    sinks.warned = [&, shown = tk_printable_name_utf8(name)](const std::string& warning, std::uint64_t record) {
      reporter_.warn({shown, record, {}, warning});
    };
  }
  udb_write_options options;
  options.batch_rows = settings_.batch_rows;
  options.commit_rows = settings_.commit_rows;
  options.row_by_row = settings_.row_by_row();
  options.shown_name = name;
  options.sync_key = sync_key;
  options.sync_removes = settings_.sync_deletes;
  options.sync_resend = settings_.sync_verify;
  std::unique_ptr<udb_record_writer> writer = destination.open_writer(options, std::move(sinks));
  // The reading's warnings come after what the batch running beside it met.
  struct ordering {
    ordered_reporter* reporter;
    ~ordering() {
      if (reporter) reporter->before_each(nullptr);
    }
  } ordered{context_.ordered};
  if (ordered.reporter) ordered.reporter->before_each([&writer] { writer->settle(); });
  source.go_to(from);
  status_.records_done = static_cast<std::uint32_t>(from - 1);
  try {
    for (; !source.is_eof() && (to == 0 || source.current_number() <= to); source.next()) {
      if (context_.cancel_requested() && writer->at_boundary()) {
        writer->finish();
        stop_if_cancelled();
      }
      ++tally.read;
      append_one(source, *writer, name);
      record_through();
    }
  } catch (const tk_final_exception&) {
    writer->abandon();
    throw;
  }
  writer->finish();
}

void conversion_run::append_one(udb_source_table& source, udb_record_writer& writer, const std::u16string& name) {
  const std::uint64_t number = source.current_number();
  std::unique_ptr<udb_record> holder;
  const udb_record* record = nullptr;
  try {
    record = record_to_append(source, name, holder);
  } catch (const tk_exception& e) {
    writer.reject(e, number);
    return;
  }
  if (record) return writer.append(*record, number);
  ++tally().deleted_skipped;
  writer.skip(number);
}

// A watcher is told every 256 records: often enough for a display that
// changes a few times a second, rarely enough to cost nothing per record.
void conversion_run::record_through() {
  constexpr std::uint32_t every = 256;
  const std::uint32_t done = ++status_.records_done;
  if (context_.progress && done % every == 0) context_.progress->advanced(done);
}

void conversion_run::stop_if_cancelled() const {
  if (context_.cancel_requested()) throw tk_final_exception();
}

const udb_record* conversion_run::record_to_append(udb_recordset& source, const std::u16string& name,
                                                     std::unique_ptr<udb_record>& holder) {
  tk_log(1, "Converting %d record", status_.records_done + 1);
  const udb_record& record = source.get_item();
  if (record.deleted) ++tally().deleted;
  // A sync counts a record marked deleted as gone from the file.
  if (record.deleted && (settings_.skip_deleted || settings_.existing_tables == existing_table_mode::sync))
    return nullptr;
  if (!customisation_.changes_records(name)) return &record;
  holder = customisation_.customise_record(name, record, settings_.logicals_as_is);
  return holder.get();
}

// A bad file that cannot be written (a full disk, a folder that is not
// there) is an error of its own, once per table; the table goes on, its
// rejected records reported with their Oracle messages as ever, so that
// the counts of what was committed stay true.
void conversion_run::reject(udb_source_table& source, std::uint64_t number, const tk_exception& e) {
  if (settings_.bad_file.empty() || bad_file_unwritable_) return;
  try {
    if (!bad_) bad_ = source.open_reject_file(bad_file_path(source), continuing_table_);
    bad_->add(number, e.message);
  } catch (const tk_exception& error) {
    bad_file_unwritable_ = true;
    reporter_.error(error, tk_printable_name_utf8(tally().table), true);
  } catch (const std::filesystem::filesystem_error& error) {
    bad_file_unwritable_ = true;
    reporter_.error(tk_exception(tk_format("Cannot write the bad file: %s", error.what())),
           tk_printable_name_utf8(tally().table), true);
  }
}

// In a folder each table's file takes its source file's name; a file name
// serves the first table with rejected records, later ones add their name
// to its stem.
std::filesystem::path conversion_run::bad_file_path(const udb_source_table& source) const {
  const std::filesystem::path given = tk_native_path(settings_.bad_file);
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

void conversion_run::close_bad_file() {
  bad_file_unwritable_ = false;
  if (!bad_) return;
  const std::string text = tk_format("%s: %d rejected records written to %s (Oracle's messages in %s)",
                                     tk_printable_name_utf8(tally().table), bad_->count(),
                                     tk_path_utf8(bad_->path()), tk_path_utf8(bad_->messages_path()));
  bad_.reset();
  ++bad_files_written_;
  tk_log(3, "%s", text);
  context_.presenter.say(text);
}

void conversion_run::record_failed(udb_source_table& source, std::uint64_t number, const tk_exception& e,
                                     const std::u16string& name) {
  reject(source, number, e);
  reporter_.error(e, tk_format(u"%s, record #%I64u", tk_printable_name(name), number), false);
}

// The user's key for the table, else its primary index, else its first
// candidate (unique) index of plain fields; as positions of the record's
// fields. Raises the table's error when there is none or a field is missing.
std::vector<std::size_t> conversion_run::sync_key_fields(const udb_source_table& table,
                                                         const std::u16string& name) {
  const std::vector<std::u16string>* given = settings_.sync_key_of(name);
  std::vector<std::u16string> fields;
  if (given) {
    fields = *given;
  } else {
    const udb_index* chosen = nullptr;
    for (const udb_index& index : table.indexes)
      if (index.unique && !index.has_functions() && (!chosen || (index.primary && !chosen->primary))) chosen = &index;
    if (!chosen)
      throw tk_exception(tk_format(
          "Table %s has no key to sync by: its files give no primary or candidate index of plain fields. Give one "
          "with --key=%s:FIELD[,FIELD...] or in the profile's [Sync keys] section",
          tk_printable_name_utf8(name), tk_printable_name_utf8(name)));
    fields = chosen->fields;
  }
  std::vector<std::size_t> positions;
  for (const std::u16string& field : fields) {
    std::size_t at = 0;
    while (at < table.schema.size() && !tk_loose_equal(table.schema[at].name, field)) ++at;
    if (at == table.schema.size())
      throw tk_exception(tk_format("The sync key of table %s names the field %s, which the table does not have; "
                                   "nothing of the table was changed",
                                   tk_printable_name_utf8(name), tk_printable_name_utf8(field)));
    positions.push_back(at);
  }
  std::string shown;
  for (std::size_t at : positions) shown += (shown.empty() ? "" : ", ") + tk_printable_name_utf8(table.schema[at].name);
  const std::vector<std::size_t> kept = positions_after_customisation(table, name, positions);
  say(tk_format("Table %s is synced by the key %s", tk_printable_name_utf8(name), shown));
  tally().sync_key = tk_utf8_to_utf16_lenient(shown);
  return kept;
}

// The records reach the writer without the fields the customisation leaves
// out, so the key's positions count the kept fields only; counted in the
// file's fields, a key after a left-out field would match records by
// another field's values.
std::vector<std::size_t> conversion_run::positions_after_customisation(const udb_source_table& table,
                                                                       const std::u16string& name,
                                                                       const std::vector<std::size_t>& positions) const {
  const ora_table_mutator* custom = customisation_.table(name);
  auto left_out = [&](std::size_t at) {
    const ora_field_mutator* field = custom ? custom->field(table.schema[at].name) : nullptr;
    return field && field->status == ora_field_mutator::deleted;
  };
  std::vector<std::size_t> kept;
  for (std::size_t at : positions) {
    if (left_out(at))
      throw tk_exception(tk_format("The sync key of table %s names the field %s, which the table's customisation "
                                   "(Edit Table, or the profile's type mappings) leaves out; nothing of the table "
                                   "was changed",
                                   tk_printable_name_utf8(name), tk_printable_name_utf8(table.schema[at].name)));
    std::size_t before = 0;
    for (std::size_t i = 0; i < at; ++i) before += left_out(i) ? 1 : 0;
    kept.push_back(at - before);
  }
  return kept;
}

// A sync finds each record's row by its key, on every sync to come: the
// key's unique index is made before the first row, so that no merge reads
// the whole table. The index the key came from is made here instead of
// after the rows.
void conversion_run::create_key_index(udb_source_table& table, const std::u16string& target_table,
                                      const std::vector<std::size_t>& key) {
  std::vector<std::u16string> fields;
  for (std::size_t at : key) fields.push_back(table.schema[at].name);
  udb_indexes key_index;
  auto same_fields = [&](const udb_index& index) {
    if (index.fields.size() != fields.size() || index.has_functions()) return false;
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (!tk_loose_equal(index.fields[i], fields[i])) return false;
    return true;
  };
  auto found = std::find_if(table.indexes.list.begin(), table.indexes.list.end(),
                            [&](const udb_index& index) { return index.unique && same_fields(index); });
  if (found != table.indexes.list.end()) {
    key_index.list.push_back(*found);
    table.indexes.list.erase(found);
  } else {
    key_index.list.emplace_back(u"SYNC_KEY", true, false, fields);
  }
  create_indexes_of(table.schema, key_index, target_table);
}

// A field added to the file since the last sync becomes a column of the
// Oracle table, with a warning; a field removed or retyped stops the sync
// of the table before anything of it changed.
std::unique_ptr<udb_recordset> conversion_run::follow_added_fields(const udb_source_table& table,
                                                                   const std::u16string& target_table,
                                                                   std::unique_ptr<udb_recordset> destination) {
  const udb_schema& now = destination->schema;
  auto position_in = [](const udb_schema& schema, const std::u16string& name) {
    for (std::size_t i = 0; i < schema.size(); ++i)
      if (tk_loose_equal(schema[i].name, name)) return static_cast<int>(i);
    return -1;
  };
  const std::string shown = tk_printable_name_utf8(tally().table);
  for (std::size_t i = 0; i < now.size(); ++i) {
    const int at = position_in(table.schema, now[i].name);
    const bool same = at >= 0 && (settings_.logicals_as_is || table.schema[static_cast<std::size_t>(at)].conform_to(now[i]));
    if (!same)
      throw tk_exception(tk_format("The column %s of the Oracle table %s is %s in the file since the last sync: a "
                                   "sync cannot follow that. Convert the table once with --mode=0 (overwrite), then "
                                   "sync again",
                                   tk_printable_name_utf8(now[i].name), tk_printable_name_utf8(target_table),
                                   at < 0 ? "no longer a field" : "of another type or size"));
  }
  std::vector<std::size_t> added;
  for (std::size_t i = 0; i < table.schema.size(); ++i)
    if (position_in(now, table.schema[i].name) < 0) added.push_back(i);
  if (added.empty()) return destination;
  target_->add_columns(target_table, table.schema, added);
  for (std::size_t at : added)
    reporter_.warn({shown, 0, tk_printable_name_utf8(table.schema[at].name),
                    "the field was added to the file since the last sync: the Oracle table gets it as a new column, "
                    "and every record is sent again to fill it"});
  destination.reset();
  return target_->open_table(target_table);
}

// A worker's prepare step that takes over from one that died: the ranges
// that one wrote are kept, those it did not write are added. A table the
// run being resumed loaded whole cannot be split now.
std::vector<table_parts::range> conversion_run::prepared_ranges(const udb_journal_entry& identity,
                                                                const udb_journal_entry& earlier,
                                                                const std::u16string& name, std::uint64_t records) {
  const std::vector<table_parts::range> found = resumed_ranges(identity);
  if (found.empty() && earlier.last_record > 0)
    throw tk_exception(tk_format("Table %s was loaded whole up to its record #%I64u by the run being resumed: workers "
                                 "cannot go on with it in ranges. Resume it with one agent (--resume without --worker)",
                                 tk_printable_name_utf8(name), earlier.last_record));
  return covering_ranges(identity, name, records, found, settings_.share.parts);
}

// The journal's entries of the table are all a later step goes by: with
// none (its prepare step skipped or failed the table, whose line tells why)
// it does nothing, and it never loads records that no range entry holds.
void conversion_run::convert_share_step(udb_opened_table& opened, const std::u16string& name) {
  udb_source_table& table = *opened.table;
  udb_schema schema = table.schema;
  udb_indexes indexes = table.indexes;
  tk_log_reporter told_already;
  const std::u16string customised =
      customisation_.customise_table(name, schema, indexes, settings_.logicals_as_is, told_already);
  table.schema = std::move(schema);
  table.indexes = std::move(indexes);
  const std::u16string target_table = target_->table_name(customised);
  tally().target = target_table;
  // The entries are keyed by the file's path as the worker that prepared the table saw it.
  udb_journal_entry identity = table.identity();
  if (!settings_.share.key.empty()) identity.source = settings_.share.key;
  const udb_journal_entry* earlier = journal_ ? resumed_entry(identity.source) : nullptr;
  if (!earlier)
    throw tk_exception("The journal holds no entry of the table, which the step that prepared it wrote; nothing "
                       "of this step is loaded");
  if (earlier->finished) return;  // a worker before this one ended the table
  check_same_file(*earlier, identity, name);
  if (!target_->table_exists(target_table))
    throw tk_exception(tk_format("The Oracle table %s that the workers load is gone; the records of this step are "
                                 "not loaded",
                                 tk_printable_name_utf8(target_table)));
  status_.records_total = static_cast<std::uint32_t>(table.record_count());
  const std::vector<table_parts::range> ranges = resumed_ranges(identity);
  if (settings_.share.at == table_share::step::range) return load_share_range(table, name, target_table, ranges);
  journal_->adopt(*earlier);
  finish_share(opened, name, target_table, identity, ranges);
}

// The range of this step is found by its bounds: the prepare step split the
// records evenly into as many ranges.
void conversion_run::load_share_range(udb_source_table& table, const std::u16string& name,
                                      const std::u16string& target_table,
                                      const std::vector<table_parts::range>& ranges) {
  const std::uint64_t records = table.record_count();
  const std::uint64_t parts = std::max<std::uint32_t>(settings_.share.parts, 1);
  const std::uint64_t first = 1 + records * settings_.share.part / parts;
  const std::uint64_t last = records * (settings_.share.part + 1) / parts;
  const auto found = std::find_if(ranges.begin(), ranges.end(), [&](const table_parts::range& range) {
    return range.first == first && range.last == last;
  });
  if (found == ranges.end())
    throw tk_exception(tk_format("The journal has no entry for records %I64u to %I64u of table %s, which this worker "
                                 "was to load; they are not loaded. Convert the table again with one agent",
                                 first, last, tk_printable_name_utf8(name)));
  std::unique_ptr<udb_recordset> destination = target_->open_table(target_table);
  load_ranges(table, *destination, name, {*found});
}

// Keys, indexes and the table's entry come once every range is in; a range
// that did not finish leaves the table to a --resume.
void conversion_run::finish_share(udb_opened_table& opened, const std::u16string& name,
                                  const std::u16string& target_table, const udb_journal_entry& identity,
                                  const std::vector<table_parts::range>& ranges) {
  bool whole = !ranges.empty();
  for (const table_parts::range& range : ranges) {
    journal_->adopt(range.entry);
    whole = whole && range.entry.finished;
  }
  if (!whole)
    throw tk_exception("Some of the table's ranges did not finish loading: its keys and indexes are not made, and "
                       "--resume goes on with it");
  udb_source_table& table = *opened.table;
  require_columns(table.schema, table.indexes, target_table);
  create_indexes(table, target_table);
  if (!settings_.skip_indexes) relations_.table_loaded(name, target_table, table, std::move(opened.relations));
  journal_->finish_entry(identity.source);
}
