// Visual FoxPro's T and dBASE 7's @ timestamps keep their milliseconds: the
// columns are TIMESTAMP(3), and both insert paths store every millisecond
// the file holds, .999 included. A timestamp Oracle cannot hold, or a time
// of day outside the day, is a warning naming its record and column, and
// the run ends with status 1; merging into a DATE column, which keeps whole
// seconds, says so.
#include <gtest/gtest.h>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

const char* const both_paths[] = {"--rowbyrow", "--batch=2"};

// The stored values as text the tool prints the same way for any column.
std::string stamps(const e2e_session& session, const std::string& table) {
  return session.sql("SELECT ID, CAST(STAMP AS VARCHAR2(40)) S FROM " + table + " ORDER BY ID");
}

void write_milliseconds(const std::filesystem::path& folder) {
  dbf_writer fox(0x30);
  fox.field(u"ID", 'I').field(u"STAMP", 'T');
  fox.record({dbf_cell::integer(1), dbf_cell::date_time(2024, 5, 6, 12, 34, 56, 789)});
  fox.record({dbf_cell::integer(2), dbf_cell::date_time(2024, 2, 29, 23, 59, 59, 999)});
  fox.record({dbf_cell::integer(3), dbf_cell::date_time(1999, 12, 31, 0, 0, 0, 1)});
  fox.record({dbf_cell::integer(4), dbf_cell::date_time(9999, 12, 31, 23, 59, 59, 999)});
  fox.record({dbf_cell::integer(5), dbf_cell::date_time(8000, 1, 1, 0, 0, 0, 0)});
  fox.record({dbf_cell::integer(6), dbf_cell::date_time(999, 12, 31, 23, 59, 59, 5)});
  fox.record({dbf_cell::integer(7), dbf_cell::null()});
  fox.record({dbf_cell::integer(8), dbf_cell::date_time(500, 1, 1, 0, 0, 0, 5)});
  fox.write(folder, "FOX.DBF");
  dbf_writer level7(0x04);
  level7.field(u"ID", 'N', 3).field(u"STAMP", '@');
  level7.record({dbf_cell::integer(1), dbf_cell::date_time(2020, 2, 20, 20, 20, 20, 789)});
  level7.record({dbf_cell::integer(2), dbf_cell::date_time(9999, 12, 31, 23, 59, 59, 999)});
  level7.write(folder, "LEVEL7.DBF");
}

TEST(E2eTimestamps, MillisecondsArriveExactOnBothPathsInTimestamp3Columns) {
  e2e_session batches, single;
  const std::filesystem::path folder = batches.folder("dbf");
  write_milliseconds(folder);
  for (const e2e_session* session : {&single, &batches}) {
    SCOPED_TRACE(session == &single ? "--rowbyrow" : "--batch=2");
    const e2e_result run = session->convert(folder, {session == &single ? "--rowbyrow" : "--batch=2"});
    EXPECT_EQ(run.status, 0) << run.describe();
    EXPECT_EQ(run.out.find("Warning"), std::string::npos) << run.out;
    EXPECT_EQ(stamps(*session, "FOX"),
              "ID\tS\n"
              "1\t2024-05-06 12:34:56.789\n"
              "2\t2024-02-29 23:59:59.999\n"
              "3\t1999-12-31 00:00:00.001\n"
              "4\t9999-12-31 23:59:59.999\n"
              "5\t8000-01-01 00:00:00.000\n"
              "6\t0999-12-31 23:59:59.005\n"
              "7\t\n"
              "8\t0500-01-01 00:00:00.005\n");
    EXPECT_EQ(stamps(*session, "LEVEL7"), "ID\tS\n1\t2020-02-20 20:20:20.789\n2\t9999-12-31 23:59:59.999\n");
    EXPECT_EQ(session->sql("SELECT TABLE_NAME, DATA_TYPE FROM USER_TAB_COLUMNS WHERE COLUMN_NAME = 'STAMP' "
                           "ORDER BY TABLE_NAME"),
              "TABLE_NAME\tDATA_TYPE\nFOX\tTIMESTAMP(3)\nLEVEL7\tTIMESTAMP(3)\n");
  }
  // Every row of both tables, as the emulation stores them, alike byte for byte.
  for (const char* table : {"FOX", "LEVEL7"})
    EXPECT_EQ(batches.sql(std::string("SELECT * FROM ") + table + " ORDER BY ID"),
              single.sql(std::string("SELECT * FROM ") + table + " ORDER BY ID"))
        << table;
}

// The dry run names the type the run makes.
TEST(E2eTimestamps, TheCheckNamesTheTimestamp3Columns) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_milliseconds(folder);
  const e2e_result dry = session.agent({"--src=" + folder.string(), "--check"},
                                       {{"VESPER_OCI_LIB", "/nonexistent/libclntsh.so"}});
  EXPECT_EQ(dry.status, 0) << dry.describe();
  EXPECT_EQ(e2e_occurrences(dry.out, "    STAMP TIMESTAMP(3)\n"), 2u) << dry.out;
}

// A second run in append mode finds the TIMESTAMP(3) columns of the first
// and adds the same values to them.
TEST(E2eTimestamps, AppendingToTheTimestampColumnsOfAnEarlierRunKeepsTheMilliseconds) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_milliseconds(folder);
  ASSERT_EQ(session.convert(folder, {"--batch=2"}).status, 0);
  for (const char* path : both_paths) {
    SCOPED_TRACE(path);
    const e2e_result run = session.convert(folder, {path, "--mode=1"});
    EXPECT_EQ(run.status, 0) << run.describe();
    EXPECT_EQ(run.out.find("Warning"), std::string::npos) << run.out;
  }
  EXPECT_EQ(session.sql("SELECT COUNT(*) N, COUNT(DISTINCT STAMP) D FROM FOX"), "N\tD\n24\t7\n");
  EXPECT_EQ(session.sql("SELECT COUNT(*) N FROM FOX WHERE CAST(STAMP AS VARCHAR2(40)) = '2024-02-29 23:59:59.999'"),
            "N\n3\n");
}

// Julian days past 9999-12-31 or before the year 1, and times of day outside
// the day, as damaged files hold them: each warned of with its record and
// column, the run ends with status 1.
TEST(E2eTimestamps, TimestampsOracleCannotHoldAreWarnedOfWithRecordAndColumn) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer fox(0x30);
  fox.field(u"ID", 'I').field(u"STAMP", 'T');
  const auto raw = [](std::int32_t day, std::int32_t milliseconds) {
    std::string bytes(8, '\0');
    for (int i = 0; i < 4; ++i) {
      bytes[i] = static_cast<char>(static_cast<std::uint32_t>(day) >> (8 * i));
      bytes[4 + i] = static_cast<char>(static_cast<std::uint32_t>(milliseconds) >> (8 * i));
    }
    return dbf_cell::raw(bytes);
  };
  fox.record({dbf_cell::integer(1), raw(5373485, 0)});           // 10000-01-01
  fox.record({dbf_cell::integer(2), raw(5373484, 86400000)});    // 24:00:00 of 9999-12-31
  fox.record({dbf_cell::integer(3), raw(2460000, -1)});          // before midnight
  fox.record({dbf_cell::integer(4), raw(1000000, 0)});           // before the year 1
  fox.record({dbf_cell::integer(5), dbf_cell::date_time(9999, 12, 31, 23, 59, 59, 999)});
  fox.write(folder, "BAD.DBF");
  for (const char* path : both_paths) {
    SCOPED_TRACE(path);
    const e2e_result run = session.convert(folder, {path});
    EXPECT_EQ(run.status, 1) << run.describe();
    for (const char* said :
         {"bad, record #1, column STAMP: the timestamp (Julian day 5373485) lies past 9999-12-31, the last day "
          "Oracle holds; it is read as empty",
          "bad, record #2, column STAMP: the timestamp (Julian day 5373484, 86400000 milliseconds) lies outside the "
          "years 1 to 9999 Oracle holds; it is read as empty",
          "bad, record #3, column STAMP: the time of day (-1 milliseconds) lies outside the day; it is read as "
          "2023-02-23 23:59:59.999",
          "bad, record #4, column STAMP: the timestamp 40420F0000000000 is no valid date and time; the value is "
          "left empty"})
      EXPECT_NE(run.out.find(std::string("Warning:\n") + said), std::string::npos) << said << "\n" << run.out;
    EXPECT_EQ(e2e_occurrences(run.out, "Warning:"), 4u) << run.out;
    EXPECT_EQ(stamps(session, "BAD"),
              "ID\tS\n1\t\n2\t\n3\t2023-02-23 23:59:59.999\n4\t\n5\t9999-12-31 23:59:59.999\n");
  }
}

// An existing DATE column keeps whole seconds: merging a T field into it
// says so for the column, and each value arrives cut to its second, never
// rounded into the next (the .999 of a day's last second stays on its day).
TEST(E2eTimestamps, MergingIntoADateColumnWarnsThatTheMillisecondsAreDropped) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer fox(0x30);
  fox.field(u"ID", 'I').field(u"STAMP", 'T');
  fox.record({dbf_cell::integer(1), dbf_cell::date_time(2024, 5, 6, 12, 34, 56, 789)});
  fox.record({dbf_cell::integer(2), dbf_cell::date_time(2024, 5, 6, 12, 34, 57)});
  fox.record({dbf_cell::integer(3), dbf_cell::date_time(2024, 2, 29, 23, 59, 59, 999)});
  fox.write(folder, "FOX.DBF");
  for (const char* path : both_paths) {
    SCOPED_TRACE(path);
    session.sql("CREATE TABLE FOX (ID NUMBER(11), STAMP DATE)");
    const e2e_result run = session.convert(folder, {path, "--mode=1"});
    EXPECT_EQ(run.status, 1) << run.describe();
    EXPECT_NE(run.out.find("Warning:\nfox, column STAMP: the Oracle column is a DATE, which keeps no milliseconds: "
                           "the timestamps of this column arrive without them\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(e2e_occurrences(run.out, "Warning:"), 1u) << run.out;
    EXPECT_EQ(stamps(session, "FOX"),
              "ID\tS\n1\t2024-05-06 12:34:56\n2\t2024-05-06 12:34:57\n3\t2024-02-29 23:59:59\n");
    session.sql("DROP TABLE FOX");
  }
}

}  // namespace
