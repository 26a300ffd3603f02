// N and F fields wider than a decimal's 28 digits: every digit up to the 38
// Oracle's NUMBER keeps arrives as the file holds it, on both insert paths;
// more digits are rounded as Oracle rounds them, and magnitudes NUMBER
// cannot hold are changed, each with a warning naming record and column.
#include <gtest/gtest.h>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

const char* const both_paths[] = {"--rowbyrow", "--batch=2"};

dbf_cell right_aligned(const std::string& text, std::size_t width) {
  return dbf_cell::raw(std::string(width - text.size(), ' ') + text);
}

TEST(E2eWideNumbers, EveryDigitUpTo38ArrivesAsTheFileHoldsIt) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 3).field(u"W30", 'N', 31).field(u"W40", 'N', 40, 15).field(u"W38", 'N', 40).field(
      u"SMALL", 'N', 45, 44);
  const std::vector<std::vector<std::string>> rows = {
      {"123456789012345678901234567890", "88195432762301319.963661026155482",
       "12345678901234567890123456789012345678", "0.00000000000000000000000000000000000000001"},
      {"-123456789012345678901234567890", "-0.000000000000000000000000000000123",
       "-99999999999999999999999999999999999999", "0.1234567890123456789012345678901234567"},
      // Leading zeros; 2^96, the first integer a decimal cannot hold; an
      // exponent the field's text may carry.
      {"000000000000000000000000000042", "0000000000000000001.500000000000000", "79228162514264337593543950336",
       "-1.00000000000000000000000000000000000000e-40"},
      {"", "", "", ""}};
  const std::size_t widths[] = {31, 40, 40, 45};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    std::vector<dbf_cell> cells = {dbf_cell::integer(static_cast<std::int64_t>(r) + 1)};
    for (std::size_t c = 0; c < rows[r].size(); ++c) cells.push_back(right_aligned(rows[r][c], widths[c]));
    table.record(cells);
  }
  table.write(folder, "WIDE.DBF");
  for (const char* path : both_paths) {
    SCOPED_TRACE(path);
    const e2e_result run = session.convert(folder, {path});
    EXPECT_EQ(run.status, 0) << run.describe();
    EXPECT_EQ(run.out.find("Warning"), std::string::npos) << run.out;
    EXPECT_EQ(session.sql("SELECT ID, W30, W40, W38, SMALL FROM WIDE ORDER BY ID"),
              "ID\tW30\tW40\tW38\tSMALL\n"
              "1\t123456789012345678901234567890\t88195432762301319.963661026155482\t"
              "12345678901234567890123456789012345678\t.00000000000000000000000000000000000000001\n"
              "2\t-123456789012345678901234567890\t-.000000000000000000000000000000123\t"
              "-99999999999999999999999999999999999999\t.1234567890123456789012345678901234567\n"
              "3\t42\t1.5\t79228162514264337593543950336\t-.0000000000000000000000000000000000000001\n"
              "4\t\t\t\t\n");
  }
}

TEST(E2eWideNumbers, MoreThan38DigitsAreRoundedAndOutOfRangeMagnitudesChangedWithAWarning) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.field(u"ID", 'N', 3).field(u"N", 'N', 45, 2).field(u"F", 'F', 20, 0);
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"1234567890123456789012345678901234567891", "1"},
      {"-9999999999999999999999999999999999999950", "2"},
      {"12345678901234567890123456789012345678.55", "3"},
      {"12345678901234567890123456789012345678", "1e130"},
      {"0.1", "-1e-140"},
      {"0.12345678901234567890123456789012345678", "9.99999e125"}};
  for (std::size_t r = 0; r < rows.size(); ++r)
    table.record({dbf_cell::integer(static_cast<std::int64_t>(r) + 1), right_aligned(rows[r].first, 45),
                  right_aligned(rows[r].second, 20)});
  table.write(folder, "ROUNDED.DBF");
  for (const char* path : both_paths) {
    SCOPED_TRACE(path);
    const e2e_result run = session.convert(folder, {path});
    EXPECT_EQ(run.status, 1) << run.describe();
    for (const std::string said :
         {"record #1, column N: the number 1234567890123456789012345678901234567891 has 40 significant digits, "
          "more than the 38 a column keeps; it is stored rounded as 1234567890123456789012345678901234567900\n",
          "record #2, column N: the number -9999999999999999999999999999999999999950 has 39 significant digits, "
          "more than the 38 a column keeps; it is stored rounded as -10000000000000000000000000000000000000000\n",
          "record #3, column N: the number 12345678901234567890123456789012345678.55 has 40 significant digits, "
          "more than the 38 a column keeps; it is stored rounded as 12345678901234567890123456789012345679\n",
          "record #4, column F: the number 1e130 is beyond what a column holds; the value is left empty\n",
          "record #5, column F: the number -1e-140 is closer to zero than a column holds (1e-130); it is stored "
          "as 0\n"})
      EXPECT_NE(run.out.find("Warning:\nrounded, " + said), std::string::npos) << said << run.out;
    EXPECT_EQ(e2e_occurrences(run.out, "Warning:"), 5u) << run.out;
    EXPECT_EQ(session.sql("SELECT ID, N, F FROM ROUNDED ORDER BY ID"),
              "ID\tN\tF\n"
              "1\t1234567890123456789012345678901234567900\t1\n"
              "2\t-1E+40\t2\n"
              "3\t12345678901234567890123456789012345679\t3\n"
              "4\t12345678901234567890123456789012345678\t\n"
              "5\t.1\t0\n"
              "6\t.12345678901234567890123456789012345678\t9.99999E+125\n");
  }
}

}  // namespace
