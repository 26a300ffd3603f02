// The run journal when another run on the same schema drops it: a run that
// finishes drops the journal once no entry is left, which can happen while a
// second run is between its own journal statements.
#include "ora_emulation_fixture.hpp"

#ifdef VESPER_TEST_OCI_LIB

#include "ora_journal.hpp"

namespace {

udb_journal_entry entry(const char16_t* source, std::uint32_t records) {
  udb_journal_entry e;
  e.source = source;
  e.file_size = 1234;
  e.file_time = 1700000000;
  e.header_date = 241207;
  e.record_count = records;
  return e;
}

TEST_F(OraEmulationTest, JournalDroppedByAnotherRunIsWrittenAgain) {
  ora_database& db = connect();
  const std::string journal_rows =
      "sql XE scott tiger " + test_shell_quoted("select SOURCE_FILE, RECORD_COUNT, LAST_RECORD, FINISHED from VESPER$JOURNAL");
  const std::string drop = "sql XE scott tiger " + test_shell_quoted("drop table VESPER$JOURNAL");
  ora_journal journal(db);

  // Dropped after this run created it, before its first table.
  journal.start_run();
  ASSERT_EQ(tool(drop), 0);
  journal.start_table(entry(u"/data/ONE.DBF", 50));
  std::string rows;
  ASSERT_EQ(tool(journal_rows, &rows), 0);
  EXPECT_NE(rows.find("/data/ONE.DBF"), std::string::npos) << rows;

  // Dropped in the middle of a table: the commit writes the entry again
  // with the record number it was bringing up to date.
  ASSERT_EQ(tool(drop), 0);
  journal.advance(20);
  journal.commit();
  ASSERT_EQ(tool(journal_rows, &rows), 0);
  EXPECT_NE(rows.find("/data/ONE.DBF"), std::string::npos) << rows;
  ASSERT_EQ(tool("sql XE scott tiger " + test_shell_quoted("select LAST_RECORD + 1000 from VESPER$JOURNAL"), &rows), 0);
  EXPECT_NE(rows.find("1020"), std::string::npos) << rows;
}

}  // namespace

#endif
