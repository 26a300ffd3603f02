// Converts a generated DBF folder into the embedded Oracle emulation with the
// console agent, and reports records per second, the emulation's round trips
// per record and the agent's peak memory.
//   bench_convert [--memo-records N] [--narrow-records N] [--folder DIR] [--keep]
//
// The folder holds MEMOS.DBF (Visual FoxPro with an FPT memo on every record,
// 100,000 records by default) and NARROW.DBF (dBASE III, three small fields,
// 200,000 records). The agent runs as a child process against a fresh
// emulation home; the emulation writes its round-trip count at exit to the
// file named by OCIEMU_ROUND_TRIPS, and wait4 gives the agent's peak resident
// memory (this process stays small, see write_tables_in_child).
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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
  std::uint32_t narrow_records = 200000;
  fs::path folder;
  bool keep = false;
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
    table.record({dbf_cell::integer(i + 1), dbf_cell::text(sentence(random, 3)),
                  dbf_cell::number(random.below(10000000) / 100.0),
                  dbf_cell::date(2000 + static_cast<int>(random.below(25)), 1 + static_cast<int>(random.below(12)),
                                 1 + static_cast<int>(random.below(28))),
                  dbf_cell::text(sentence(random, 10 + random.below(60)))});
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

// The tables are built in a child process. The agent is started with
// posix_spawn, whose child shares this process's memory until it runs the
// agent, and Linux carries that high-water mark into the child's peak: this
// process must stay small for the figure to be the agent's own.
void write_tables_in_child(const fs::path& folder, const options& o) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("cannot fork");
  if (child == 0) {
    try {
      write_memo_table(folder, o.memo_records);
      write_narrow_table(folder, o.narrow_records);
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
    if (arg == "--memo-records" && has_value) o.memo_records = static_cast<std::uint32_t>(std::atol(argv[++i]));
    else if (arg == "--narrow-records" && has_value) o.narrow_records = static_cast<std::uint32_t>(std::atol(argv[++i]));
    else if (arg == "--folder" && has_value) o.folder = argv[++i];
    else if (arg == "--keep") o.keep = true;
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

int run(const options& o) {
  const fs::path root = o.folder.empty() ? temporary_folder() : o.folder;
  const fs::path source = root / "dbf";
  fs::create_directories(source);
  std::printf("generating %u memo records and %u narrow records in %s\n", o.memo_records, o.narrow_records,
              source.c_str());
  write_tables_in_child(source, o);

  const fs::path trips = root / "round_trips.txt";
  fs::remove_all(root / "oracle");
  fs::remove(trips);
  const e2e_process::environment environment = {
      {"OCIEMU_HOME", (root / "oracle").string()},
      {"XDG_CONFIG_HOME", (root / "settings").string()},
      {"VESPER_OCI_LIB", VESPER_BENCH_OCI_LIBRARY},
      {"OCIEMU_ROUND_TRIPS", std::nullopt},
  };
  const e2e_process process(root);
  const e2e_result created = process.run(VESPER_BENCH_TOOL, {"create-service", "XE", "scott", "tiger"}, environment);
  if (created.status != 0) {
    std::fprintf(stderr, "cannot create the emulation's service:\n%s\n", created.describe().c_str());
    return 1;
  }
  e2e_process::environment measured = environment;
  measured["OCIEMU_ROUND_TRIPS"] = trips.string();
  const e2e_result agent = process.run(
      VESPER_BENCH_AGENT, {"--src=" + source.string(), "--dest=XE", "--oraclu=scott", "--oraclp=tiger"}, measured);
  if (agent.status != 0) {
    std::fprintf(stderr, "the agent failed:\n%s\n", agent.describe().c_str());
    return 1;
  }

  const double records = static_cast<double>(o.memo_records) + o.narrow_records;
  const std::uint64_t round_trips = round_trips_in(trips);
  std::printf("%-28s %12s\n", "measure", "value");
  std::printf("%-28s %12.0f\n", "records converted", records);
  std::printf("%-28s %12.2f\n", "seconds (agent, wall)", agent.seconds);
  std::printf("%-28s %12.0f\n", "records per second", records / agent.seconds);
  std::printf("%-28s %12llu\n", "round trips", static_cast<unsigned long long>(round_trips));
  std::printf("%-28s %12.2f\n", "round trips per record", round_trips / records);
  std::printf("%-28s %12.1f\n", "agent peak memory (MiB)", agent.peak_kilobytes / 1024.0);
  if (!o.keep) fs::remove_all(root);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  options o;
  if (!parse(argc, argv, o)) {
    std::fprintf(stderr, "usage: bench_convert [--memo-records N] [--narrow-records N] [--folder DIR] [--keep]\n");
    return 2;
  }
  try {
    return run(o);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_convert: %s\n", e.what());
    return 1;
  }
}
