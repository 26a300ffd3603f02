// Converts a folder of many small tables into the embedded Oracle emulation
// with the console agent, for two folder sizes in one run, and reports the
// seconds of each and their ratio. A run whose cost per table grows with the
// folder shows here: 2,000 tables should take at most ten times as long as
// 250 (the ratio of the table counts is eight).
//   bench_many_tables [--small N] [--large N] [--records N] [--folder DIR] [--keep]
//                     [--agent PATH] [--oci-library PATH]
//
// --agent and --oci-library time another build's agent and emulation (an
// earlier commit's, for a before-and-after figure) on the same tables.
// Every table is a dBASE III table of three fields and a few records; every
// fourth one has a memo file and every eighth a .cpg file beside it, so that
// the lookups of a table's companion files find something some of the time.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include "dbf_writer.hpp"
#include "e2e_process.hpp"

namespace {

namespace fs = std::filesystem;

struct options {
  std::uint32_t small = 250;
  std::uint32_t large = 2000;
  std::uint32_t records = 20;
  fs::path folder;
  bool keep = false;
  std::string agent = VESPER_BENCH_AGENT;
  std::string oci_library = VESPER_BENCH_OCI_LIBRARY;
};

void write_folder(const fs::path& folder, std::uint32_t tables, std::uint32_t records) {
  fs::create_directories(folder);
  char name[32];
  for (std::uint32_t t = 0; t < tables; ++t) {
    const bool memo = t % 4 == 3;
    dbf_writer table(memo ? 0x83 : 0x03);
    table.language_driver(0x01);
    table.field(u"ID", 'N', 8).field(u"NAME", 'C', 20).field(u"QTY", 'N', 5);
    if (memo) table.field(u"NOTE", 'M');
    for (std::uint32_t r = 0; r < records; ++r) {
      std::vector<dbf_cell> cells = {dbf_cell::integer(r + 1), dbf_cell::text(u"item"),
                                     dbf_cell::integer((r * 37 + t) % 1000)};
      if (memo) cells.push_back(r % 5 == 0 ? dbf_cell::text(u"a short note") : dbf_cell::null());
      table.record(std::move(cells));
    }
    std::snprintf(name, sizeof name, "T%05u.DBF", t);
    table.write(folder, name);
    if (t % 8 == 5) std::ofstream(folder / (std::string(name, 6) + ".cpg")) << "1252\n";
  }
}

struct measured {
  double seconds = 0;
};

std::optional<measured> convert(const options& o, const fs::path& root, const fs::path& folder) {
  fs::remove_all(root / "oracle");
  const e2e_process::environment environment = {
      {"OCIEMU_HOME", (root / "oracle").string()},
      {"XDG_CONFIG_HOME", (root / "settings").string()},
      {"VESPER_OCI_LIB", o.oci_library},
      {"OCIEMU_ROUND_TRIPS", std::nullopt},
      {"OCIEMU_ROUND_TRIP_DELAY_US", std::nullopt},
  };
  const e2e_process process(root);
  const e2e_result created = process.run(VESPER_BENCH_TOOL, {"create-service", "XE", "scott", "tiger"}, environment);
  if (created.status != 0) {
    std::fprintf(stderr, "cannot create the emulation's service:\n%s\n", created.describe().c_str());
    return std::nullopt;
  }
  const e2e_result agent = process.run(
      o.agent, {"--src=" + folder.string(), "--dest=XE", "--oraclu=scott", "--oraclp=tiger"}, environment);
  if (agent.status != 0) {
    std::fprintf(stderr, "the agent failed:\n%s\n", agent.describe().c_str());
    return std::nullopt;
  }
  return measured{agent.seconds};
}

bool parse(int argc, char** argv, options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    auto count = [&] { return static_cast<std::uint32_t>(std::atol(argv[++i])); };
    if (arg == "--small" && has_value) o.small = count();
    else if (arg == "--large" && has_value) o.large = count();
    else if (arg == "--records" && has_value) o.records = count();
    else if (arg == "--folder" && has_value) o.folder = argv[++i];
    else if (arg == "--agent" && has_value) o.agent = argv[++i];
    else if (arg == "--oci-library" && has_value) o.oci_library = argv[++i];
    else if (arg == "--keep") o.keep = true;
    else return false;
  }
  return o.small > 0 && o.large > 0;
}

int run(const options& o) {
  fs::path root = o.folder;
  if (root.empty()) {
    std::string pattern = (fs::temp_directory_path() / "vesper-bench-many-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    root = pattern;
  }
  std::printf("generating the tables in %s\n", root.c_str());
  write_folder(root / "small", o.small, o.records);
  write_folder(root / "large", o.large, o.records);
  std::printf("%8s %9s %12s\n", "tables", "seconds", "ms/table");
  double seconds[2] = {};
  const std::uint32_t counts[2] = {o.small, o.large};
  const char* folders[2] = {"small", "large"};
  for (int k = 0; k < 2; ++k) {
    const std::optional<measured> m = convert(o, root, root / folders[k]);
    if (!m) return 1;
    seconds[k] = m->seconds;
    std::printf("%8u %9.2f %12.2f\n", counts[k], m->seconds, 1000 * m->seconds / counts[k]);
    std::fflush(stdout);
  }
  const double ratio = seconds[1] / seconds[0];
  std::printf("time ratio %.2f for %.1f times the tables (linear: at most %.1f)\n", ratio,
              double(o.large) / o.small, 1.25 * o.large / o.small);
  if (!o.keep) fs::remove_all(root);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  options o;
  if (!parse(argc, argv, o)) {
    std::fprintf(stderr, "usage: bench_many_tables [--small N] [--large N] [--records N] [--folder DIR] [--keep]\n"
                 "                         [--agent PATH] [--oci-library PATH]\n");
    return 2;
  }
  try {
    return run(o);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_many_tables: %s\n", e.what());
    return 1;
  }
}
