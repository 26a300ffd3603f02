#include "agent_worker.hpp"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "agent_check.hpp"
#include "agent_command_line.hpp"
#include "dbf_source.hpp"
#include "error_handler.hpp"
#include "ora_database.hpp"
#include "ora_exception.hpp"
#include "ora_journal.hpp"
#include "run_presenter.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "tk_reporter.hpp"
#include "vesper_converter.hpp"

namespace {

constexpr std::int64_t default_lease_ms = 60000;
// A big table is loaded in ranges of at least this many bytes of its file,
// by as many workers at once, as a run of several sessions splits it. At
// most 16 ranges: enough that three or four workers share the biggest table
// evenly, few enough that each range's own run (opening the table, its
// journal entry) costs little against its records.
constexpr std::uint64_t range_bytes = 4u << 20;
constexpr std::uint32_t max_ranges = 16;

// Leases are times of the workers' clocks, which must agree (NTP) to well
// under a lease: a worker whose clock runs ahead takes over live tables
// sooner, which costs time, never rows (the fence stops the other).
std::int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string shown_utc(std::int64_t ms) {
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}

// The machine's name: Windows keeps it in every session's environment.
std::string host_name() {
#ifdef _WIN32
  const char* name = std::getenv("COMPUTERNAME");
  return name ? name : "";
#else
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return host;
#endif
}

std::string worker_name() {
  const std::string host = host_name();
  return (host.empty() ? std::string("worker") : host) + ":" + std::to_string(getpid());
}

}  // namespace

std::int64_t agent_worker::lease_from_environment() {
  const char* given = std::getenv("VESPER_WORKER_LEASE_MS");
  if (!given || !*given) return default_lease_ms;
  char* end = nullptr;
  const long long value = std::strtoll(given, &end, 10);
  if (*end != '\0' || value < 100 || value > 86400000)
    throw tk_exception(tk_format("VESPER_WORKER_LEASE_MS must be a number of milliseconds from 100 to 86400000, not %s",
                                 given),
                       tk_exception::run_level);
  return value;
}

agent_worker::agent_worker(vesper_converter& converter, const vesper_settings& settings, error_handler& handler,
                           run_presenter& presenter, vesper_progress* progress, std::int64_t lease)
    : converter_(converter),
      settings_(settings),
      handler_(handler),
      presenter_(presenter),
      progress_(progress),
      lease_(lease),
      name_(worker_name()) {}

int agent_worker::run() {
  ora_database& target = *converter_.target();
  ora_work_table work(target.engine());
  const std::int64_t started = now_ms();
  job_ = work.join(settings_.schema, job_items(), {shown_utc(started), started});
  say(tk_format("Worker %s joins the job started %s (UTC)", name_, job_.shown));
  if (settings_.parallel > 1)
    say(tk_format("A worker loads one table or range at a time on one Oracle session: --parallel=%d is not used; "
                  "start more workers instead",
                  static_cast<int>(settings_.parallel)));
  // Other workers' tables may still come free (a worker that dies), and a
  // split table's ranges once it is prepared: it waits for the job's end.
  const auto poll = std::chrono::milliseconds(std::clamp<std::int64_t>(lease_ / 4, 50, 500));
  bool waiting = false;
  for (;;) {
    std::optional<ora_work_table::claim> held = work.take(tk_utf8_to_utf16_lenient(name_), now_ms(), lease_);
    if (held) {
      waiting = false;
      if (!load(work, *held)) return lost(*held);
      continue;
    }
    const std::uint32_t left = work.unfinished();
    if (left == 0) break;
    if (!waiting) say(tk_format("Worker %s waits: %d tables are being loaded by other workers", name_, left));
    waiting = true;
    std::this_thread::sleep_for(poll);
  }
  return close(work);
}

// The tables of the job by their names in the folder, which every worker
// sees alike whatever path it reaches the folder by.
std::vector<ora_work_table::item> agent_worker::job_items() {
  dbf_source_options reading;
  reading.folder = settings_.folder;
  reading.code_page = settings_.code_page;
  dbf_source source(std::move(reading), handler_);
  source.open();
  std::vector<std::u16string> names = settings_.tables.empty() ? source.table_names() : settings_.tables;
  if (names.empty())
    throw tk_exception(tk_format(u"The folder %s holds no DBF table: nothing is converted",
                                 tk_printable_name(settings_.folder)),
                       tk_exception::run_level);
  std::vector<ora_work_table::item> items;
  for (const std::u16string& name : names) {
    const std::uint64_t size = source.table_size(name);
    items.push_back({name, size, parts_of(size)});
  }
  std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.size > b.size; });
  return items;
}

// As a run of several sessions splits a table; a bad file is written by one
// run at a time, a sync goes by its key through the whole table.
std::uint32_t agent_worker::parts_of(std::uint64_t bytes) const {
  if (!settings_.bad_file.empty() || settings_.definitions_only ||
      settings_.existing_tables == existing_table_mode::sync)
    return 1;
  const std::uint64_t parts = std::min<std::uint64_t>(max_ranges, bytes / range_bytes);
  return parts < 2 ? 1 : static_cast<std::uint32_t>(parts);
}

// The key of the table's journal entry as this worker's run writes it (its
// file's path here); empty when the table cannot be opened: its run fails
// before it commits anything.
std::u16string agent_worker::journal_key(const std::u16string& table) const {
  dbf_source_options reading;
  reading.folder = settings_.folder;
  reading.code_page = settings_.code_page;
  reading.read_indexes = false;
  tk_log_reporter quiet;  // the run itself tells what the table holds
  dbf_source source(std::move(reading), quiet);
  try {
    source.open();
    if (!source.has_table(table)) return {};
    return source.open_table(table, [](const std::string&) {}).table->identity().source;
  } catch (const tk_exception& e) {
    tk_log(3, "Worker: table %s does not open: %s", table, e.message);
    return {};
  }
}

// The records of the table's file, which the ranges of its split divide; 0
// when it cannot be read (its step fails and tells why).
std::uint64_t agent_worker::record_count(const std::u16string& table) const {
  dbf_source_options reading;
  reading.folder = settings_.folder;
  reading.code_page = settings_.code_page;
  reading.read_indexes = false;
  tk_log_reporter quiet;
  dbf_source source(std::move(reading), quiet);
  try {
    source.open();
    return source.has_table(table) ? source.table_records(table) : 0;
  } catch (const tk_exception& e) {
    tk_log(3, "Worker: table %s does not open: %s", table, e.message);
    return 0;
  }
}

// The first claimer of a table starts it as the mode says (overwrite drops
// it); a later one goes on after its last committed record, and never drops
// the rows of the workers before it.
vesper_settings agent_worker::settings_for(const ora_work_table::claim& held, bool goes_on) const {
  vesper_settings settings = settings_;
  settings.tables = {held.table};
  settings.parallel = 1;
  settings.share = share_of(held);
  // A range or the end goes on from the entries its prepare step wrote, a
  // table taken over from the entry of the worker before.
  if (goes_on) {
    settings.resume = true;
    if (settings.existing_tables == existing_table_mode::overwrite) settings.existing_tables = existing_table_mode::merge;
  }
  return settings;
}

table_share agent_worker::share_of(const ora_work_table::claim& held) {
  table_share share;
  share.parts = held.parts;
  share.part = held.part;
  share.key = held.key;
  share.keys_later = true;
  switch (held.at) {
    case ora_work_table::step::whole: share.at = table_share::step::whole; break;
    case ora_work_table::step::prepare: share.at = table_share::step::prepare; break;
    case ora_work_table::step::range: share.at = table_share::step::range; break;
    case ora_work_table::step::finish: share.at = table_share::step::finish; break;
  }
  return share;
}

// The step's line: a range tells its records, as the table's split gives them.
std::string agent_worker::step_line(const ora_work_table::claim& held) const {
  const std::string shown = tk_printable_name_utf8(held.table);
  const std::string taken = held.first ? "" : " (taken over from a worker whose lease ran out)";
  switch (held.at) {
    case ora_work_table::step::prepare:
      return tk_format("Worker %s prepares table %s to be loaded in %d ranges%s", name_, shown, static_cast<int>(held.parts), taken);
    case ora_work_table::step::finish:
      return tk_format("Worker %s ends table %s: its keys and indexes%s", name_, shown, taken);
    case ora_work_table::step::range: {
      const std::uint64_t records = record_count(held.table);
      const std::uint64_t parts = std::max<std::uint32_t>(held.parts, 1);
      return tk_format("Worker %s loads records %I64u to %I64u of table %s%s", name_, 1 + records * held.part / parts,
                       records * (held.part + 1) / parts, shown, taken);
    }
    case ora_work_table::step::whole: break;
  }
  return held.first ? tk_format("Worker %s loads table %s", name_, shown)
                    : tk_format("Worker %s takes over table %s from a worker whose lease ran out", name_, shown);
}

bool agent_worker::load(ora_work_table& work, const ora_work_table::claim& held) {
  const bool later_step = held.at == ora_work_table::step::range || held.at == ora_work_table::step::finish;
  // Its prepare step skipped or failed the table, and its line says so.
  if (later_step && held.prepared != ora_work_table::outcome::converted)
    return work.finish(held, {}, ora_work_table::outcome::skipped, {});
  say(step_line(held));
  // A later step goes by the key its prepare step wrote the entries under.
  const std::u16string path = later_step ? std::u16string() : journal_key(held.table);
  if (!path.empty() && !work.adopt_journal(held, path, now_ms(), lease_)) return false;
  ora_database& target = *converter_.target();
  target.commit_fence = [&](bool last) { fence(work, held, last); };
  target.names_from_schema = true;
  target.keeps_journal_table = true;
  struct unfenced {
    ora_database& target;
    ~unfenced() {
      target.commit_fence = nullptr;
      target.names_from_schema = false;
      target.keeps_journal_table = false;
    }
  } scope{target};
  converter_.clear_cancel();
  // A worker that died before the table's journal entry committed no row of
  // it: its successor starts the table as the first would (an overwrite
  // drops the table it may have left, empty or still the old one).
  const bool goes_on = later_step || (!held.first && (path.empty() || work.journal_holds(path)));
  const run_result& result = converter_.run(settings_for(held, goes_on), presenter_, progress_);
  if (lost_) return false;
  table_tally tally = result.tallies.empty() ? table_tally{held.table} : result.tallies.front();
  if (result.tallies.empty()) tally.result = table_tally::outcome::failed;
  const bool failed = result.failed() || tally.result == table_tally::outcome::failed;
  const ora_work_table::outcome outcome = failed ? ora_work_table::outcome::failed
                                          : tally.result == table_tally::outcome::skipped ? ora_work_table::outcome::skipped
                                                                                         : ora_work_table::outcome::converted;
  const ora_work_table::counts counts{tally.read, tally.inserted, tally.failed, tally.deleted_skipped, tally.warnings};
  if (!work.finish(held, tk_utf8_to_utf16_lenient(tally.line()), outcome, counts)) return false;
  mine_.tallies.push_back(tally);
  mine_.tables_failed += result.tables_failed;
  mine_.records_failed += result.records_failed;
  return true;
}

// In the transaction of each commit of the table: the lease is renewed
// while the row's token is the claim's; else the transaction is rolled
// back, and this and every later commit of the worker raises.
void agent_worker::fence(ora_work_table& work, const ora_work_table::claim& held, bool last) {
  ora_engine& engine = converter_.target()->engine();
  bool owned = false;
  try {
    owned = !lost_ && work.fence(held, now_ms(), lease_, last);
  } catch (const ora_exception& e) {
    // The work table gone (the job was closed by the worker that took over): not ours either.
    if (e.connection_lost()) throw;
  }
  if (owned) return;
  lost_ = true;
  engine.rollback();
  // Number 0: no server error, the worker's own refusal to commit.
  throw ora_exception(0, tk_wformat(u"Table %s is no longer this worker's: its lease ran out and another worker took "
                                   u"it over; this worker commits nothing more",
                                   tk_printable_name(held.table)));
}

int agent_worker::lost(const ora_work_table::claim& held) {
  handler_.error(tk_exception(tk_format("Worker %s stops: it lost table %s to another worker after its lease of %I64d ms "
                                        "ran out without a commit; the rows it had not committed were rolled back and "
                                        "the other worker goes on after the last record committed",
                                        name_, tk_printable_name_utf8(held.table), lease_),
                              tk_exception::run_level),
                 "", false);
  return agent_command_line::failure_status;
}

// The last worker prints the job's summary: every table's line as its
// worker told it, the job's wall time and records per second.
int agent_worker::close(ora_work_table& work) {
  const std::optional<std::vector<ora_work_table::finished>> lines = work.close();
  if (!lines) {
    say(tk_format("Worker %s is done; the last worker of the job prints its summary", name_));
    return agent_check::status_of(mine_, handler_);
  }
  drop_empty_journal();
  make_foreign_keys(*lines);
  int status = agent_check::status_of(mine_, handler_);
  say(tk_format("Summary of the job started %s (UTC):", job_.shown));
  std::uint64_t records = 0;
  std::size_t tables = 0;
  for (std::size_t at = 0; at < lines->size();) {
    const std::size_t end = table_end(*lines, at);
    const job_line line = end - at == 1 ? line_of((*lines)[at]) : split_line(*lines, at, end);
    say(line.text);
    records += line.records;
    if (line.failed) status = std::max(status, 2);
    ++tables;
    at = end;
  }
  // Whole tenths of seconds, whatever the locale.
  const auto ms = static_cast<std::uint64_t>(std::max<std::int64_t>(now_ms() - job_.at, 1));
  say(tk_format("Job: %d tables, %I64u records inserted in %I64u.%I64u s (%I64u records/s)", tables, records,
                ms / 1000, ms / 100 % 10, records * 1000 / ms));
  return status;
}

// The container relations among the tables the job loaded become foreign
// keys now that every table is in, as a run of one agent makes them after
// its last table; a table that failed or was skipped is no parent or child.
void agent_worker::make_foreign_keys(const std::vector<ora_work_table::finished>& lines) {
  vesper_settings settings = settings_;
  settings.tables.clear();
  for (std::size_t at = 0; at < lines.size();) {
    const std::size_t end = table_end(lines, at);
    const job_line line = end - at == 1 ? line_of(lines[at]) : split_line(lines, at, end);
    if (!line.failed && lines[at].result != ora_work_table::outcome::skipped) settings.tables.push_back(lines[at].table);
    at = end;
  }
  if (settings.tables.empty()) return;
  settings.share = table_share{};
  settings.share.at = table_share::step::keys;
  settings.parallel = 1;
  settings.resume = false;
  ora_database& target = *converter_.target();
  target.names_from_schema = true;
  converter_.clear_cancel();
  converter_.run(settings, presenter_, nullptr);
  target.names_from_schema = false;
}

// The rows of one table: one, or the steps of a split table, which follow one another.
std::size_t agent_worker::table_end(const std::vector<ora_work_table::finished>& lines, std::size_t at) {
  std::size_t end = at + 1;
  if (lines[at].at != ora_work_table::step::prepare) return end;
  while (end < lines.size() && lines[end].table == lines[at].table && lines[end].at != ora_work_table::step::prepare &&
         lines[end].at != ora_work_table::step::whole)
    ++end;
  return end;
}

agent_worker::job_line agent_worker::line_of(const ora_work_table::finished& line) {
  return {line.summary.empty() ? tk_format("%s: finished, its worker stopped before telling its counts",
                                           tk_printable_name_utf8(line.table))
                               : tk_utf16_to_utf8_lenient(line.summary),
          line.records, line.failed};
}

// A split table's line as a run of one agent prints it: its steps' counts
// summed; failed if any step failed (or died before telling its counts,
// which are then missing from the sums), skipped as its prepare step says.
agent_worker::job_line agent_worker::split_line(const std::vector<ora_work_table::finished>& lines, std::size_t from,
                                                std::size_t end) {
  table_tally tally{lines[from].table};
  bool untold = false;
  for (std::size_t at = from; at < end; ++at) {
    const ora_work_table::finished& step = lines[at];
    tally.read += step.tally.read;
    tally.inserted += step.tally.inserted;
    tally.failed += step.tally.failed;
    tally.deleted_skipped += step.tally.deleted_skipped;
    tally.warnings += step.tally.warnings;
    untold = untold || step.summary.empty();
    if (step.result == ora_work_table::outcome::failed) tally.result = table_tally::outcome::failed;
  }
  const bool skipped = lines[from].result == ora_work_table::outcome::skipped;
  if (skipped && tally.result != table_tally::outcome::failed) tally.result = table_tally::outcome::skipped;
  if (untold && !skipped) tally.result = table_tally::outcome::failed;
  std::string text = tally.line();
  if (untold && !skipped) text += " (a worker stopped before telling the counts of its step)";
  return {text, tally.inserted, tally.result == table_tally::outcome::failed};
}

// The workers' runs leave the journal; empty, every table of the job
// finished and it goes. A failed table's entries keep it for a --resume.
void agent_worker::drop_empty_journal() {
  try {
    ora_journal(*converter_.target()).remove();
  } catch (const ora_exception& e) {
    if (e.connection_lost()) throw;
    tk_log(3, "Worker: the journal stays: %s", e.message);
  }
}

void agent_worker::say(const std::string& line) const {
  tk_log(3, "%s", line);
  presenter_.say(line);
}
