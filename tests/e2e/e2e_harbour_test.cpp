// Harbour's own field types in tables of other versions (@ and = timestamps,
// + auto-increment, ^ row version), four-byte memo fields in FoxPro 2 tables,
// and the last day Oracle holds, through whole runs of the agent; the real
// Harbour tables of the shared corpus too when it is there.
#include <gtest/gtest.h>

#include "dbf_byte_order.hpp"
#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

bool has(const e2e_result& run, const std::string& text) { return run.out.find(text) != std::string::npos; }

// Harbour's timestamp: a little-endian Julian day, then milliseconds since midnight.
dbf_cell harbour_time(std::uint32_t julian_day, std::uint32_t milliseconds) {
  return dbf_cell::raw(dbf_le_bytes(julian_day, 4) + dbf_le_bytes(milliseconds, 4));
}

// dBASE 7's: milliseconds as a big-endian double, day 1 being 0001-01-01.
dbf_cell level7_time(std::uint32_t julian_day, double milliseconds) {
  const double value = (julian_day - 1721425.0) * 86400000.0 + milliseconds;
  std::string bytes(8, '\0');
  dbf_put_be(bytes, 0, std::bit_cast<std::uint64_t>(value), 8);
  return dbf_cell::raw(bytes);
}

constexpr std::uint32_t day_2021_12_11 = 2459560, day_9999_12_31 = 5373484;

std::string column_types(const e2e_session& session, const std::string& table) {
  return session.sql("SELECT COLUMN_NAME, DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '" + table +
                     "' ORDER BY COLUMN_ID");
}

}  // namespace

// The shape of minigui-cyr's tables: a dBASE III table (0x03) with Harbour's
// + = ^ @ fields. Each @ value is read by its bytes: Harbour's layout when
// they make a day and a time of day, dBASE 7's double otherwise.
TEST(E2eHarbour, HarbourFieldTypesArriveAsTheirTypes) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.field(u"ID", '+', 4).field(u"AT", '@', 8).field(u"DT", '=', 8).field(u"DC", '^', 8).field(u"NAME", 'C', 4);
  table.record({dbf_cell::raw(dbf_le_bytes(1, 4)), harbour_time(day_2021_12_11, 0),
                harbour_time(day_2021_12_11, 55007364), dbf_cell::raw(dbf_le_bytes(1, 8)), dbf_cell::text(u"a")});
  table.record({dbf_cell::raw(dbf_le_bytes(2, 4)), dbf_cell::raw(std::string(8, '\0')),
                harbour_time(day_9999_12_31, 86399000), dbf_cell::raw(dbf_le_bytes(5000000000ull, 8)),
                dbf_cell::text(u"b")});
  table.record({dbf_cell::raw(dbf_le_bytes(7, 4)), level7_time(2458900, 73220000.0),
                harbour_time(day_9999_12_31 + 1, 0), dbf_cell::raw(dbf_le_bytes(3, 8)), dbf_cell::text(u"c")});
  table.write(folder, "HB.DBF");
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(column_types(session, "HB"),
            "COLUMN_NAME\tDATA_TYPE\nID\tNUMBER\nAT\tTIMESTAMP(3)\nDT\tTIMESTAMP(3)\nDC\tNUMBER\nNAME\tNVARCHAR2\n");
  EXPECT_EQ(session.sql("SELECT ID, CAST(AT AS VARCHAR2(30)) A, CAST(DT AS VARCHAR2(30)) D, DC FROM HB ORDER BY ID"),
            "ID\tA\tD\tDC\n"
            "1\t2021-12-11 00:00:00.000\t2021-12-11 15:16:47.364\t1\n"
            "2\t\t9999-12-31 23:59:59.000\t5000000000\n"
            "7\t2020-02-20 20:20:20.000\t\t3\n");
  // Only the day past 9999-12-31 is changed, and said so.
  EXPECT_EQ(e2e_occurrences(run.out, "Warning:"), 1u) << run.out;
  EXPECT_TRUE(has(run, "hb, record #3, column DT: the timestamp (Julian day 5373485) lies past 9999-12-31, the last "
                       "day Oracle holds; it is read as empty"))
      << run.out;
  // The auto-increment column numbers new rows after the largest value.
  session.sql("INSERT INTO HB (NAME) VALUES ('d')");
  EXPECT_EQ(session.sql("SELECT MAX(ID) M FROM HB"), "M\n8\n");
}

// Visual FoxPro's T fields and the common "never ends" date; a FoxPro 2
// table whose four-byte memo field holds a binary block number beside the
// usual ten-digit one.
TEST(E2eHarbour, LastDayOfOracleAndFourByteMemoFieldsInFoxPro2Tables) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer until(0x30);
  until.field(u"ID", 'I').field(u"ENDS", 'T');
  until.record({dbf_cell::integer(1), dbf_cell::date_time(9999, 12, 31, 0, 0, 0)});
  until.record({dbf_cell::integer(2), dbf_cell::date_time(2024, 1, 2, 3, 4, 5)});
  until.write(folder, "UNTIL.DBF");
  dbf_writer fox2(0xF5);
  fox2.field(u"ID", 'N', 3).field(u"LONG", 'M', 10).field(u"SHORT", 'M', 4);
  fox2.record({dbf_cell::integer(1), dbf_cell::text(u"ten digits"), dbf_cell::text(u"T/O,additional")});
  fox2.record({dbf_cell::integer(2), dbf_cell::null(), dbf_cell::null()});
  fox2.write(folder, "FOX2.DBF");
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.sql("SELECT ID, CAST(ENDS AS VARCHAR2(30)) E FROM UNTIL ORDER BY ID"),
            "ID\tE\n1\t9999-12-31 00:00:00.000\n2\t2024-01-02 03:04:05.000\n");
  EXPECT_EQ(session.sql("SELECT ID, LONG, SHORT FROM FOX2 ORDER BY ID"),
            "ID\tLONG\tSHORT\n1\tten digits\tT/O,additional\n2\t\t\n");
}

// minigui-cyr's _Ru866.dbf and minigui-cyr2's zDefect.dbf, as Harbour wrote them.
TEST(E2eHarbour, RealHarbourTablesKeepTheirTimestampsCountersAndMemos) {
  const std::filesystem::path corpus = e2e_paths::corpus();
  if (!std::filesystem::exists(corpus / "minigui-cyr")) GTEST_SKIP() << "no shared corpus at " << corpus;
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  e2e_place_corpus_files(corpus / "minigui-cyr", {"_Ru866.dbf"}, folder);
  e2e_place_corpus_files(corpus / "minigui-cyr2", {"zDefect.dbf", "zDefect.fpt"}, folder);
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(session.sql("SELECT ID, CAST(MODEDIT AS VARCHAR2(30)) M, MODVER, CAST(DT AS VARCHAR2(30)) D FROM A_RU866 "
                        "WHERE ID <= 3 ORDER BY ID"),
            "ID\tM\tMODVER\tD\n"
            "1\t\t1\t2021-12-11 15:16:47.364\n"
            "2\t2021-12-11 00:00:00.000\t100\t2021-12-12 18:48:07.246\n"
            "3\t\t3\t2021-12-11 15:16:47.365\n")
      << run.out;
  EXPECT_EQ(session.sql("SELECT COUNT(*) N FROM A_RU866 WHERE DT IS NULL"), "N\n0\n");
  EXPECT_EQ(session.sql("SELECT IDZ, VMZ, CAST(TSZ AS VARCHAR2(30)) T, SUBSTR(MDEFECT, 1, 14) M FROM ZDEFECT "
                        "ORDER BY IDZ"),
            "IDZ\tVMZ\tT\tM\n1\t150\t2022-12-12 11:12:10.000\tT/O,additional\n"
            "2\t103\t2011-11-11 01:11:11.000\t\n3\t102\t2003-03-03 03:03:33.033\t\n");
  EXPECT_FALSE(has(run, "is no valid date")) << run.out;
}
