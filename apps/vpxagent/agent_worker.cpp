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
#include "run_presenter.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "tk_reporter.hpp"
#include "vesper_converter.hpp"

namespace {

constexpr std::int64_t default_lease_ms = 60000;

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
    say(tk_format("A worker loads one table at a time on one Oracle session: --parallel=%d is not used; start more "
                  "workers instead",
                  static_cast<int>(settings_.parallel)));
  // Other workers' tables may still come free (a worker that dies): it waits for the job's end.
  const auto poll = std::chrono::milliseconds(std::clamp<std::int64_t>(lease_ / 4, 50, 2000));
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
  return close(work, agent_check::status_of(mine_, handler_));
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
  for (const std::u16string& name : names) items.push_back({name, source.table_size(name)});
  std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.size > b.size; });
  return items;
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

// The first claimer of a table starts it as the mode says (overwrite drops
// it); a later one goes on after its last committed record, and never drops
// the rows of the workers before it.
vesper_settings agent_worker::settings_for(const ora_work_table::claim& held) const {
  vesper_settings settings = settings_;
  settings.tables = {held.table};
  settings.parallel = 1;
  if (!held.first) {
    settings.resume = true;
    if (settings.existing_tables == existing_table_mode::overwrite) settings.existing_tables = existing_table_mode::merge;
  }
  return settings;
}

bool agent_worker::load(ora_work_table& work, const ora_work_table::claim& held) {
  const std::string shown = tk_printable_name_utf8(held.table);
  say(held.first ? tk_format("Worker %s loads table %s", name_, shown)
                 : tk_format("Worker %s takes over table %s from a worker whose lease ran out", name_, shown));
  const std::u16string path = journal_key(held.table);
  if (!path.empty() && !work.adopt_journal(held, path, now_ms(), lease_)) return false;
  ora_database& target = *converter_.target();
  target.commit_fence = [&](bool last) { fence(work, held, last); };
  target.names_from_schema = true;
  struct unfenced {
    ora_database& target;
    ~unfenced() {
      target.commit_fence = nullptr;
      target.names_from_schema = false;
    }
  } scope{target};
  converter_.clear_cancel();
  const run_result& result = converter_.run(settings_for(held), presenter_, progress_);
  if (lost_) return false;
  table_tally tally = result.tallies.empty() ? table_tally{held.table} : result.tallies.front();
  if (result.tallies.empty()) tally.result = table_tally::outcome::failed;
  const bool failed = result.failed() || tally.result == table_tally::outcome::failed;
  if (!work.finish(held, tk_utf8_to_utf16_lenient(tally.line()), failed, tally.inserted)) return false;
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
int agent_worker::close(ora_work_table& work, int status) {
  const std::optional<std::vector<ora_work_table::finished>> lines = work.close();
  if (!lines) {
    say(tk_format("Worker %s is done; the last worker of the job prints its summary", name_));
    return status;
  }
  say(tk_format("Summary of the job started %s (UTC):", job_.shown));
  std::uint64_t records = 0;
  for (const ora_work_table::finished& line : *lines) {
    say(line.summary.empty() ? tk_format("%s: finished, its worker stopped before telling its counts",
                                         tk_printable_name_utf8(line.table))
                             : tk_utf16_to_utf8_lenient(line.summary));
    records += line.records;
    if (line.failed) status = std::max(status, 2);
  }
  // Whole tenths of seconds, whatever the locale.
  const auto ms = static_cast<std::uint64_t>(std::max<std::int64_t>(now_ms() - job_.at, 1));
  say(tk_format("Job: %d tables, %I64u records inserted in %I64u.%I64u s (%I64u records/s)", lines->size(), records,
                ms / 1000, ms / 100 % 10, records * 1000 / ms));
  return status;
}

void agent_worker::say(const std::string& line) const {
  tk_log(3, "%s", line);
  presenter_.say(line);
}
