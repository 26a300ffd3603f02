// The differential test: random tables of every kind the test writer makes,
// one per seed, converted on both insert paths (batches and one statement
// per record). Every cell read back is compared with the value written;
// every cell that arrived otherwise must have a warning in the run's log
// naming its table, record and column. VESPER_DIFFERENTIAL_SEEDS (300 unless
// set) and VESPER_DIFFERENTIAL_FIRST_SEED (1) choose the seeds;
// scripts/differential.sh runs as many as it is given.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "e2e_random_table.hpp"
#include "e2e_session.hpp"

namespace {

constexpr std::uint64_t tables_per_run = 20;

std::uint64_t setting(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
    parts.push_back(text.substr(start, end - start));
  parts.push_back(text.substr(start));
  return parts;
}

bool same_double(const std::string& a, const std::string& b) {
  double x = 0, y = 0;
  const auto [end_a, error_a] = std::from_chars(a.data(), a.data() + a.size(), x);
  const auto [end_b, error_b] = std::from_chars(b.data(), b.data() + b.size(), y);
  return error_a == std::errc() && error_b == std::errc() && end_a == a.data() + a.size() &&
         end_b == b.data() + b.size() && x == y;
}

struct tally {
  std::uint64_t tables = 0;
  std::uint64_t cells = 0;
  std::uint64_t changed = 0;           // cells that arrived otherwise, each warned of
  std::uint64_t warned_unchanged = 0;  // warnings of cells that arrived as written
  std::uint64_t unwarned = 0;          // cells changed in silence: the faults
};

// Compares the table's rows in Oracle with what was written; `log` is the
// run's log, where every warning is, with its place.
void compare(const e2e_session& session, const e2e_random_table& table, const std::string& log, const std::string& path,
             bool logicals_as_numbers, tally& counts) {
  const std::string output = session.sql(table.query());
  std::vector<std::string> lines = split(output, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  std::string header;
  for (const std::string& column : table.columns()) header += (header.empty() ? "" : "\t") + column;
  ASSERT_FALSE(lines.empty()) << table.description();
  EXPECT_EQ(lines[0], header) << table.description();
  ASSERT_EQ(lines.size() - 1, table.rows().size()) << path << " " << table.description() << "\n" << output;
  ++counts.tables;
  for (std::size_t r = 0; r < table.rows().size(); ++r) {
    const std::vector<std::string> cells = split(lines[r + 1], '\t');
    ASSERT_EQ(cells.size(), table.columns().size()) << table.description() << "\n" << lines[r + 1];
    for (std::size_t c = 0; c < cells.size(); ++c) {
      ++counts.cells;
      std::string written = table.rows()[r][c];
      if (logicals_as_numbers && table.letter(c) == 'L') written = written == "T" ? "1" : "0";
      const std::string place =
          "\n" + table.name() + ", record #" + std::to_string(r + 1) + ", column " + table.columns()[c] + ":";
      const bool warned = log.find(place) != std::string::npos;
      if (cells[c] == written || (table.holds_doubles(c) && same_double(cells[c], written))) {
        counts.warned_unchanged += warned;
        continue;
      }
      ++counts.changed;
      if (warned) continue;
      ++counts.unwarned;
      ADD_FAILURE() << path << ": " << table.name() << ", record #" << r + 1 << ", column " << table.columns()[c]
                    << " changed in silence\nwritten: " << written << "\nstored:  " << cells[c] << "\n"
                    << table.description();
    }
  }
}

}  // namespace

TEST(E2eDifferential, EveryCellOfRandomTablesArrivesOrIsWarnedOfOnBothPaths) {
  const std::uint64_t first = setting("VESPER_DIFFERENTIAL_FIRST_SEED", 1);
  const std::uint64_t seeds = setting("VESPER_DIFFERENTIAL_SEEDS", 300);
  tally counts;
  for (std::uint64_t start = first; start < first + seeds; start += tables_per_run) {
    e2e_session session;
    const std::filesystem::path folder = session.folder("dbf");
    std::vector<e2e_random_table> tables;
    for (std::uint64_t seed = start; seed < std::min(start + tables_per_run, first + seeds); ++seed) {
      tables.emplace_back(seed, "r" + std::to_string(seed));
      tables.back().write(folder);
    }
    // Every other run stores logical values as numbers.
    const bool logicals_as_numbers = (start - first) / tables_per_run % 2 == 1;
    for (const char* path : {"--batch=4", "--rowbyrow"}) {
      const std::filesystem::path log = session.root() / "run.log";
      std::vector<std::string> options = {path, "--logfile=" + log.string()};
      if (logicals_as_numbers) options.push_back("--log2int");
      const e2e_result run = session.convert(folder, options);
      EXPECT_LE(run.status, 1) << path << " seeds from " << start << "\n" << run.describe();
      const std::string logged = read_file(log);
      for (const e2e_random_table& table : tables)
        compare(session, table, logged, std::string(path) + (logicals_as_numbers ? " --log2int" : ""),
                logicals_as_numbers, counts);
    }
  }
  std::printf("differential: %llu seeds, %llu tables compared on two paths, %llu cells, %llu changed (each warned "
              "of), %llu changed in silence, %llu warnings of unchanged cells\n",
              static_cast<unsigned long long>(seeds), static_cast<unsigned long long>(counts.tables),
              static_cast<unsigned long long>(counts.cells), static_cast<unsigned long long>(counts.changed),
              static_cast<unsigned long long>(counts.unwarned),
              static_cast<unsigned long long>(counts.warned_unchanged));
  EXPECT_EQ(counts.unwarned, 0u);
}
