// The differential test: random tables of every kind the test writer makes,
// one per seed, converted on both insert paths (batches and one statement
// per record), with other options now and then (logicals as numbers,
// deleted records skipped, batches of other sizes). Every cell read back is
// compared with the value written; every cell that arrived otherwise must
// have a warning in the run's log naming its table, record and column.
// VESPER_DIFFERENTIAL_SEEDS (300 unless set) and
// VESPER_DIFFERENTIAL_FIRST_SEED (1) choose the seeds;
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

// How one run converts: its options, and what they make of the values.
struct run_kind {
  std::vector<std::string> options;
  bool logicals_as_numbers = false;  // --log2int
  bool skip_deleted = false;         // --skip_del
  std::string label() const {
    std::string text;
    for (const std::string& option : options) text += (text.empty() ? "" : " ") + option;
    return text;
  }
};

// The options of the runs of group `group`: both insert paths, batches of
// another size each time, and every other group logicals as numbers, every
// third one without deleted records.
std::vector<run_kind> runs_of(std::uint64_t group) {
  run_kind batches, single;
  batches.options = {"--batch=" + std::to_string(1 + group % 7)};
  single.options = {"--rowbyrow"};
  for (run_kind* kind : {&batches, &single}) {
    kind->logicals_as_numbers = group % 2 == 1;
    kind->skip_deleted = group % 3 == 2;
    if (kind->logicals_as_numbers) kind->options.push_back("--log2int");
    if (kind->skip_deleted) kind->options.push_back("--skip_del");
  }
  return {batches, single};
}

// Compares the table's rows in Oracle with what was written; `log` is the
// run's log, where every warning is, with its place.
void compare(const e2e_session& session, const e2e_random_table& table, const std::string& log, const run_kind& run,
             tally& counts) {
  const std::string path = run.label();
  const bool logicals_as_numbers = run.logicals_as_numbers;
  const std::string output = session.sql(table.query());
  std::vector<std::string> lines = split(output, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  std::string header;
  for (const std::string& column : table.columns()) header += (header.empty() ? "" : "\t") + column;
  ASSERT_FALSE(lines.empty()) << table.description();
  EXPECT_EQ(lines[0], header) << table.description();
  std::vector<std::size_t> records;  // the index of each row's record
  for (std::size_t r = 0; r < table.rows().size(); ++r)
    if (!run.skip_deleted || !table.deleted(r)) records.push_back(r);
  ASSERT_EQ(lines.size() - 1, records.size()) << path << " " << table.description() << "\n" << output;
  ++counts.tables;
  for (std::size_t row = 0; row < records.size(); ++row) {
    const std::size_t r = records[row];
    const std::vector<std::string> cells = split(lines[row + 1], '\t');
    ASSERT_EQ(cells.size(), table.columns().size()) << table.description() << "\n" << lines[row + 1];
    for (std::size_t c = 0; c < cells.size(); ++c) {
      ++counts.cells;
      std::string written = table.rows()[r][c];
      if (logicals_as_numbers && table.letter(c) == 'L' && (written == "T" || written == "F"))
        written = written == "T" ? "1" : "0";
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
    for (const run_kind& kind : runs_of((start - first) / tables_per_run)) {
      const std::filesystem::path log = session.root() / "run.log";
      std::vector<std::string> options = kind.options;
      options.push_back("--logfile=" + log.string());
      const e2e_result run = session.convert(folder, options);
      EXPECT_LE(run.status, 1) << kind.label() << ", seeds from " << start << "\n" << run.describe();
      const std::string logged = e2e_read_file(log);
      for (const e2e_random_table& table : tables) compare(session, table, logged, kind, counts);
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
