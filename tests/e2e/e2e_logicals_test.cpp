// A logical field holds T, t, Y, y (true) or F, f, N, n (false). Any other
// byte (blank or '?' for a value never set, or damage) is stored as false,
// as it always was, but never in silence: a warning with table, record and
// column, counted in the summary and in the exit status. A Visual FoxPro
// null stays NULL, with nothing to say.
#include <gtest/gtest.h>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

const std::string not_set = "the logical value is not set (blank or '?'); it is stored as false\n";

std::string neither(const std::string& shown) {
  return "the logical value '" + shown + "' is neither true (T, Y) nor false (F, N); it is stored as false";
}

// FLAGS: records 1-4 in recognised forms, 5-8 in others.
void write_flags(const std::filesystem::path& folder) {
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 3).field(u"OK", 'L');
  int id = 0;
  for (const std::string& form : std::vector<std::string>{"T", "f", "Y", "n", " ", "?", "1", std::string(1, '\0')})
    table.record({dbf_cell::integer(++id), dbf_cell::raw(form)});
  table.write(folder, "FLAGS.DBF");
}

}  // namespace

TEST(E2eLogicals, UnrecognisedLogicalsAreStoredAsFalseWithAWarningOnBothPaths) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_flags(folder);
  struct run_case {
    std::vector<std::string> options;
    std::string stored;
  };
  const std::vector<run_case> runs = {
      {{"--rowbyrow"}, "ID\tOK\n1\tT\n2\tF\n3\tT\n4\tF\n5\tF\n6\tF\n7\tF\n8\tF\n"},
      {{"--batch=3"}, "ID\tOK\n1\tT\n2\tF\n3\tT\n4\tF\n5\tF\n6\tF\n7\tF\n8\tF\n"},
      {{"--batch=3", "--log2int"}, "ID\tOK\n1\t1\n2\t0\n3\t1\n4\t0\n5\t0\n6\t0\n7\t0\n8\t0\n"}};
  for (const run_case& c : runs) {
    SCOPED_TRACE(c.options.back());
    const e2e_result run = session.convert(folder, c.options);
    EXPECT_EQ(run.status, 1) << run.describe();
    EXPECT_EQ(session.sql("SELECT ID, OK FROM FLAGS ORDER BY ID"), c.stored);
    EXPECT_NE(run.out.find("Warning:\nflags, record #5, column OK: " + not_set), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Warning:\nflags, record #6, column OK: " + not_set), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Warning:\nflags, record #7, column OK: " + neither("1") + "\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Warning:\nflags, column OK: 1 more values like these not shown, at records 8\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(e2e_occurrences(run.out, "Warning:\n"), 4u) << run.out;
    // The summary counts the warnings shown, the line of those not shown too.
    EXPECT_NE(e2e_untimed(run.out).find("flags: read 8, inserted 8, failed 0, skipped as deleted 0, warnings 4\n"),
              std::string::npos)
        << run.out;
  }
}

// The log keeps every warning, the one the console leaves out too, with the
// byte shown printable.
TEST(E2eLogicals, AnUnprintableLogicalByteIsShownInHex) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_flags(folder);
  const std::filesystem::path log = session.root() / "run.log";
  const e2e_result run = session.convert(folder, {"--logfile=" + log.string()});
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(e2e_read_file(log).find("flags, record #8, column OK: " + neither("\\x00")), std::string::npos);
}

// A column of hundreds of unset logicals tells of itself in a few lines.
TEST(E2eLogicals, AColumnOfUnsetLogicalsPrintsABoundedNumberOfLines) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 3).field(u"PRINTED", 'L');
  for (int id = 1; id <= 400; ++id) table.record({dbf_cell::integer(id), dbf_cell::raw(" ")});
  table.write(folder, "BLANKS.DBF");
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(e2e_occurrences(run.out, "Warning:\n"), 4u) << run.out;
  EXPECT_NE(run.out.find("Warning:\nblanks, column PRINTED: 397 more values like these not shown, at records 4, 5, "
                         "6, 7, 8 and later\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.sql("SELECT COUNT(*) N FROM BLANKS WHERE PRINTED = 'F'"), "N\n400\n");
}

// Visual FoxPro's null flags decide first: a null logical (its byte a blank)
// arrives as NULL without a warning; a blank one that is not null is warned of.
TEST(E2eLogicals, AVisualFoxProNullLogicalIsNullWithoutAWarning) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.field(u"ID", 'I').field(u"OK", 'L', 1, 0, 0x02).field(u"_NullFlags", '0', 1, 0, 0x05);
  table.record({dbf_cell::integer(1), dbf_cell::raw(" "), dbf_cell::raw(std::string(1, '\x01'))});
  table.record({dbf_cell::integer(2), dbf_cell::raw("T"), dbf_cell::raw(std::string(1, '\0'))});
  table.record({dbf_cell::integer(3), dbf_cell::raw(" "), dbf_cell::raw(std::string(1, '\0'))});
  table.write(folder, "FOX.DBF");
  for (const char* path : {"--rowbyrow", "--batch=2"}) {
    SCOPED_TRACE(path);
    const e2e_result run = session.convert(folder, {path});
    EXPECT_EQ(run.status, 1) << run.describe();
    EXPECT_EQ(session.sql("SELECT ID, OK FROM FOX ORDER BY ID"), "ID\tOK\n1\t\n2\tT\n3\tF\n");
    EXPECT_EQ(e2e_occurrences(run.out, "Warning:\n"), 1u) << run.out;
    EXPECT_NE(run.out.find("Warning:\nfox, record #3, column OK: " + not_set), std::string::npos) << run.out;
  }
}
