// Numbers arrive with the value the file's text or bytes hold: F fields as
// plain NUMBER columns with every digit, doubles without their binary error,
// blanks around the text ignored; text in another form is read as before but
// warned of, and text no rule reads is NULL with a warning.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

std::string padded(const std::string& text, std::size_t width) {
  return std::string(width - text.size(), ' ') + text;
}

TEST(E2eNumbers, FloatFieldsAndDoublesKeepTheValueTheFileHolds) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.field(u"ID", 'N', 3).field(u"F", 'F', 13, 3).field(u"WIDE", 'F', 50, 3).field(u"B", 'B');
  table.record({dbf_cell::integer(1), dbf_cell::raw("1.3945052E+02"), dbf_cell::raw(padded("12.345", 50)),
                dbf_cell::number(2.3)});
  table.record({dbf_cell::integer(2), dbf_cell::raw(padded("-0.5", 13)), dbf_cell::raw(padded("1e30", 50)),
                dbf_cell::number(0.1)});
  table.write(folder, "POINTS.DBF");
  for (const char* path : {"--rowbyrow", "--batch=2"}) {
    const e2e_result run = session.convert(folder, {path});
    ASSERT_EQ(run.status, 0) << path << "\n" << run.describe();
    EXPECT_EQ(session.sql("SELECT ID, F, WIDE, B FROM POINTS ORDER BY ID"),
              "ID\tF\tWIDE\tB\n1\t139.45052\t12.345\t2.3\n2\t-.5\t1000000000000000000000000000000\t.1\n")
        << path;
  }
  EXPECT_EQ(session.sql("SELECT COLUMN_NAME, DATA_TYPE, DATA_PRECISION, DATA_SCALE FROM USER_TAB_COLUMNS "
                        "WHERE TABLE_NAME = 'POINTS' AND COLUMN_NAME = 'F'"),
            "COLUMN_NAME\tDATA_TYPE\tDATA_PRECISION\tDATA_SCALE\nF\tNUMBER\t\t\n");
}

TEST(E2eNumbers, BlanksAroundANumberAreIgnoredAndBlankFieldsAreNull) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 3).field(u"N", 'N', 8, 2);
  table.record({dbf_cell::integer(1), dbf_cell::raw(std::string("0.00\v   ", 8))});
  table.record({dbf_cell::integer(2), dbf_cell::raw(std::string("\t 12.5\0\0", 8))});
  table.record({dbf_cell::integer(3), dbf_cell::raw(std::string(8, '\0'))});
  table.record({dbf_cell::integer(4), dbf_cell::raw("        ")});
  table.record({dbf_cell::integer(5), dbf_cell::raw(" -1.5E+1")});
  table.write(folder, "BLANKS.DBF");
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(run.out.find("Warning"), std::string::npos) << run.out;
  EXPECT_EQ(session.sql("SELECT ID, N FROM BLANKS ORDER BY ID"), "ID\tN\n1\t0\n2\t12.5\n3\t\n4\t\n5\t-15\n");
}

TEST(E2eNumbers, OtherFormsAreReadAsBeforeButWarnedOf) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  const char16_t* columns[] = {u"PAREN", u"DOLLAR", u"COMMA", u"STARS", u"WORD", u"ROUNDED", u"ZEROS", u"HUGE"};
  const char* odd[] = {"    (12)", "    $1.5", "    1,23", "   *****", "     abc", "   1.555", "    2.50", "   1e999"};
  std::vector<dbf_cell> first, second;
  for (int i = 0; i < 8; ++i) {
    table.field(columns[i], 'N', 8, 2);
    first.push_back(dbf_cell::raw(odd[i]));
    second.push_back(dbf_cell::raw("     1.5"));
  }
  table.record(first).record(second);
  table.write(folder, "ODD.DBF");
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.sql("SELECT PAREN, DOLLAR, COMMA, STARS, WORD, ROUNDED, ZEROS, HUGE FROM ODD ORDER BY ROWID"),
            "PAREN\tDOLLAR\tCOMMA\tSTARS\tWORD\tROUNDED\tZEROS\tHUGE\n-12\t1.5\t1.23\t\t\t1.56\t2.5\t\n"
            "1.5\t1.5\t1.5\t1.5\t1.5\t1.5\t1.5\t1.5\n");
  const std::string at = "Warning:\nodd, record #1, column ";
  for (const std::string line : {
           "PAREN: numeric text \"(12)\" is no plain number; it is read as -12\n",
           "DOLLAR: numeric text \"$1.5\" is no plain number; it is read as 1.5\n",
           "COMMA: numeric text \"1,23\" is no plain number; it is read as 1.23\n",
           "STARS: numeric text \"*****\" is no number; the value is left empty\n",
           "WORD: numeric text \"abc\" is no number; the value is left empty\n",
           "ROUNDED: the value 1.555 has more decimals than the column's 2; Oracle rounds it\n",
           "HUGE: the number 1e999 is beyond what a column holds; the value is left empty\n"})
    EXPECT_NE(run.out.find(at + line), std::string::npos) << line << run.out;
  EXPECT_EQ(e2e_occurrences(run.out, "Warning:"), 7u) << run.out;  // trailing zeros are no lost decimals
}

TEST(E2eNumbers, WarningsOfAColumnAreCountedAfterTheFirstFew) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 3).field(u"N", 'N', 6);
  for (int id = 1; id <= 12; ++id)
    table.record({dbf_cell::integer(id), dbf_cell::raw(id % 2 ? "   (1)" : "     1")});
  table.write(folder, "MANY.DBF");
  for (const char* path : {"--rowbyrow", "--batch=5"}) {
    const e2e_result run = session.convert(folder, {path});
    EXPECT_EQ(run.status, 1) << run.describe();
    EXPECT_EQ(e2e_occurrences(run.out, "Warning:\nmany, record #"), 3u) << run.out;
    EXPECT_NE(run.out.find("Warning:\nmany, record #5, column N: numeric text \"(1)\""), std::string::npos);
    EXPECT_NE(run.out.find("Warning:\nmany, column N: 3 more values like these not shown, at records 7, 9, 11\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(session.count("MANY"), "12");
  }
}

}  // namespace

namespace {

// Doubles Oracle's NUMBER cannot hold, and dates and times past the years
// the reader keeps: each arrives otherwise (empty, or 0) with a warning
// naming its record and column, on both paths.
TEST(E2eNumbers, DoublesAndTimestampsOracleCannotHoldAreWarnedOf) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.field(u"ID", 'N', 3).field(u"B", 'B').field(u"T", 'T');
  const double infinity = std::numeric_limits<double>::infinity();
  const std::vector<double> doubles = {1e200, -1e130, 1e-300, 5e-324, std::nan(""), infinity, 1.5};
  for (std::size_t i = 0; i < doubles.size(); ++i)
    table.record({dbf_cell::integer(std::int64_t(i) + 1), dbf_cell::number(doubles[i]),
                  i == 0 ? dbf_cell::date_time(9000, 1, 2, 3, 4, 5) : dbf_cell::null()});
  table.write(folder, "FAR.DBF");
  for (const char* path : {"--rowbyrow", "--batch=3"}) {
    SCOPED_TRACE(path);
    const e2e_result run = session.convert(folder, {path});
    EXPECT_EQ(run.status, 1) << run.describe();
    for (const char* said : {"far, record #1, column B: the double 1e+200 is beyond the range of Oracle's NUMBER",
                             "far, record #2, column B: the double -1e+130 is beyond the range",
                             "far, record #3, column B: the double 1e-300 is too small for Oracle's NUMBER; it "
                             "arrives as 0",
                             "far, record #4, column B: the double 5e-324 is too small",
                             "far, record #5, column B: the double 000000000000F87F is no number",
                             "far, record #6, column B: the double 000000000000F07F is no number"})
      EXPECT_NE(run.out.find(std::string("Warning:\n") + said), std::string::npos) << said << "\n" << run.out;
    EXPECT_EQ(run.out.find("record #7"), std::string::npos) << run.out;
    EXPECT_EQ(session.sql("SELECT ID, B, T FROM FAR ORDER BY ID"),
              "ID\tB\tT\n1\t\t02-JAN-00\n2\t\t\n3\t0\t\n4\t0\t\n5\t\t\n6\t\t\n7\t1.5\t\n");
    // The year 9000 is Oracle's to hold: kept, without a warning.
    EXPECT_EQ(session.sql("SELECT COUNT(*) FROM FAR WHERE T > to_date('8999-12-31', 'YYYY-MM-DD')"), "COUNT(*)\n1\n");
    EXPECT_EQ(run.out.find("column T"), std::string::npos) << run.out;
  }
}

}  // namespace
