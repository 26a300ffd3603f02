// Converts generated DBF tables into the embedded Oracle emulation with the
// console agent, on the batch path and on the row-by-row path (--rowbyrow),
// without and with a delay on every round trip (OCIEMU_ROUND_TRIP_DELAY_US,
// what a network adds), and reports per case records per second, the
// emulation's round trips per record and the agent's peak memory.
//   bench_convert [--memo-records N] [--narrow-records N] [--slow-records N]
//                 [--delay-us N] [--folder DIR] [--keep] [--batch-only]
//
// NARROW.DBF is dBASE III with three small fields (1,000,000 records by
// default); MEMOS.DBF is Visual FoxPro with an FPT memo on every 10th record
// (100,000 by default). The row-by-row path pays every round trip's delay
// two or three times per record, so with the delay it converts tables of
// --slow-records records (10,000) instead; a second, smaller narrow table
// shows whether the batch path's memory grows with the table. Each case runs
// the agent as a child process against a fresh emulation home; the
// emulation writes its round-trip count at exit to the file named by
// OCIEMU_ROUND_TRIPS, and wait4 gives the agent's peak resident memory (this
// process stays small, see write_tables_in_child).
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dbf_writer.hpp"
#include "e2e_process.hpp"

namespace {

namespace fs = std::filesystem;

struct options {
  std::uint32_t memo_records = 100000;
  std::uint32_t narrow_records = 1000000;
  std::uint32_t slow_records = 10000;
  std::uint32_t delay_us = 500;
  fs::path folder;
  bool keep = false;
  bool batch_only = false;  // leave out the row-by-row cases, for a quick look at the batch path
};

// A fixed seed, so every run converts the same tables.
class sequence {
 public:
  std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(engine_() % n); }

 private:
  std::minstd_rand engine_{7};
};

const char16_t* const words[] = {u"delivery", u"invoice", u"pallet", u"customer", u"returned", u"damaged",
                                 u"urgent",   u"paid",    u"café",   u"Müller",   u"warehouse", u"order"};

std::u16string sentence(sequence& random, std::uint32_t words_wanted) {
  std::u16string text;
  for (std::uint32_t i = 0; i < words_wanted; ++i) {
    if (i) text += u' ';
    text += words[random.below(std::size(words))];
  }
  return text;
}

void write_memo_table(const fs::path& folder, std::uint32_t records) {
  sequence random;
  dbf_writer table(0x30);
  table.table_flags(0x02).language_driver(0x03).block_size(64);
  table.field(u"ID", 'I').field(u"NAME", 'C', 30).field(u"AMOUNT", 'N', 12, 2).field(u"BOOKED", 'D');
  table.field(u"NOTE", 'M');
  for (std::uint32_t i = 0; i < records; ++i) {
    const bool memo = i % 10 == 9;
    table.record({dbf_cell::integer(i + 1), dbf_cell::text(sentence(random, 3)),
                  dbf_cell::number(random.below(10000000) / 100.0),
                  dbf_cell::date(2000 + static_cast<int>(random.below(25)), 1 + static_cast<int>(random.below(12)),
                                 1 + static_cast<int>(random.below(28))),
                  memo ? dbf_cell::text(sentence(random, 10 + random.below(60))) : dbf_cell::null()});
  }
  table.write(folder, "MEMOS.DBF");
}

void write_narrow_table(const fs::path& folder, std::uint32_t records) {
  sequence random;
  dbf_writer table(0x03);
  table.language_driver(0x01);
  table.field(u"ID", 'N', 8).field(u"CODE", 'C', 6).field(u"QTY", 'N', 5);
  for (std::uint32_t i = 0; i < records; ++i) {
    char16_t code[7] = u"AA-000";
    code[0] = static_cast<char16_t>(u'A' + random.below(26));
    code[1] = static_cast<char16_t>(u'A' + random.below(26));
    code[3] = static_cast<char16_t>(u'0' + random.below(10));
    table.record({dbf_cell::integer(i + 1), dbf_cell::text(code), dbf_cell::integer(random.below(100000))});
  }
  table.write(folder, "NARROW.DBF");
}

// One folder per table and size, so that each case converts one table.
struct table_set {
  std::string folder;
  bool memo;
  std::uint32_t records;
};

std::vector<table_set> table_sets(const options& o) {
  return {{"narrow", false, o.narrow_records},
          {"narrow-small", false, o.narrow_records / 10},
          {"memo", true, o.memo_records},
          {"narrow-slow", false, o.slow_records},
          {"memo-slow", true, o.slow_records}};
}

// The tables are built in a child process. The agent is started with
// posix_spawn, whose child shares this process's memory until it runs the
// agent, and Linux carries that high-water mark into the child's peak: this
// process must stay small for the figure to be the agent's own.
void write_tables_in_child(const fs::path& root, const options& o) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("cannot fork");
  if (child == 0) {
    try {
      for (const table_set& set : table_sets(o)) {
        fs::create_directories(root / set.folder);
        if (set.memo) write_memo_table(root / set.folder, set.records);
        else write_narrow_table(root / set.folder, set.records);
      }
      _exit(0);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "bench_convert: %s\n", e.what());
      _exit(1);
    }
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("cannot write the tables");
}

std::uint64_t round_trips_in(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("round_trips=", 0) == 0) return std::strtoull(line.c_str() + 12, nullptr, 10);
  return 0;
}

bool parse(int argc, char** argv, options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    auto count = [&] { return static_cast<std::uint32_t>(std::atol(argv[++i])); };
    if (arg == "--memo-records" && has_value) o.memo_records = count();
    else if (arg == "--narrow-records" && has_value) o.narrow_records = count();
    else if (arg == "--slow-records" && has_value) o.slow_records = count();
    else if (arg == "--delay-us" && has_value) o.delay_us = count();
    else if (arg == "--folder" && has_value) o.folder = argv[++i];
    else if (arg == "--keep") o.keep = true;
    else if (arg == "--batch-only") o.batch_only = true;
    else return false;
  }
  return true;
}

fs::path temporary_folder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/vesper-bench-convert-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  return pattern;
}

// One conversion: a table set, the path and the delay per round trip.
struct bench_case {
  const table_set* tables;
  bool row_by_row;
  std::uint32_t delay_us;
};

struct measured {
  double seconds = 0;
  std::uint64_t round_trips = 0;
  long peak_kilobytes = 0;
};

std::optional<measured> convert(const fs::path& root, const bench_case& c) {
  const fs::path trips = root / "round_trips.txt";
  fs::remove_all(root / "oracle");
  fs::remove(trips);
  const e2e_process::environment environment = {
      {"OCIEMU_HOME", (root / "oracle").string()},
      {"XDG_CONFIG_HOME", (root / "settings").string()},
      {"VESPER_OCI_LIB", VESPER_BENCH_OCI_LIBRARY},
      {"OCIEMU_ROUND_TRIPS", std::nullopt},
      {"OCIEMU_ROUND_TRIP_DELAY_US", std::nullopt},
  };
  const e2e_process process(root);
  const e2e_result created = process.run(VESPER_BENCH_TOOL, {"create-service", "XE", "scott", "tiger"}, environment);
  if (created.status != 0) {
    std::fprintf(stderr, "cannot create the emulation's service:\n%s\n", created.describe().c_str());
    return std::nullopt;
  }
  e2e_process::environment timed = environment;
  timed["OCIEMU_ROUND_TRIPS"] = trips.string();
  if (c.delay_us) timed["OCIEMU_ROUND_TRIP_DELAY_US"] = std::to_string(c.delay_us);
  std::vector<std::string> args = {"--src=" + (root / c.tables->folder).string(), "--dest=XE", "--oraclu=scott",
                                   "--oraclp=tiger"};
  if (c.row_by_row) args.push_back("--rowbyrow");
  const e2e_result agent = process.run(VESPER_BENCH_AGENT, args, timed);
  if (agent.status != 0) {
    std::fprintf(stderr, "the agent failed:\n%s\n", agent.describe().c_str());
    return std::nullopt;
  }
  return measured{agent.seconds, round_trips_in(trips), agent.peak_kilobytes};
}

int run(const options& o) {
  const fs::path root = o.folder.empty() ? temporary_folder() : o.folder;
  const std::vector<table_set> sets = table_sets(o);
  std::printf("generating the tables in %s\n", root.c_str());
  write_tables_in_child(root, o);

  const table_set &narrow = sets[0], &narrow_small = sets[1], &memo = sets[2], &narrow_slow = sets[3],
                  &memo_slow = sets[4];
  const std::vector<bench_case> cases = {
      {&narrow, false, 0},          {&narrow_small, false, 0},  {&narrow, true, 0},
      {&narrow, false, o.delay_us}, {&narrow_slow, true, o.delay_us},
      {&memo, false, 0},            {&memo, true, 0},
      {&memo, false, o.delay_us},   {&memo_slow, true, o.delay_us},
  };
  std::printf("%-8s %9s %-10s %8s %9s %11s %9s %10s\n", "table", "records", "path", "delay us", "seconds",
              "records/s", "trips/rec", "peak MiB");
  std::vector<double> rates;
  for (const bench_case& c : cases) {
    if (o.batch_only && c.row_by_row) {
      rates.push_back(0);
      continue;
    }
    const std::optional<measured> m = convert(root, c);
    if (!m) return 1;
    const double records = c.tables->records;
    rates.push_back(records / m->seconds);
    std::printf("%-8s %9u %-10s %8u %9.2f %11.0f %9.4f %10.1f\n", c.tables->memo ? "memo" : "narrow",
                c.tables->records, c.row_by_row ? "row-by-row" : "batch", c.delay_us, m->seconds, rates.back(),
                m->round_trips / records, m->peak_kilobytes / 1024.0);
    std::fflush(stdout);
  }
  if (!o.batch_only)
    std::printf("batch rate / row-by-row rate with %u us per round trip: narrow %.0f, memo %.0f\n", o.delay_us,
                rates[3] / rates[4], rates[7] / rates[8]);
  if (!o.keep) fs::remove_all(root);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  options o;
  if (!parse(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: bench_convert [--memo-records N] [--narrow-records N] [--slow-records N] [--delay-us N]\n"
                 "                     [--folder DIR] [--keep] [--batch-only]\n");
    return 2;
  }
  try {
    return run(o);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_convert: %s\n", e.what());
    return 1;
  }
}
