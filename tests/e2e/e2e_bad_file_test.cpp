// The bad file: the records Oracle rejected, kept as a DBF table of the
// source's own layout (memos included) with Oracle's messages beside it, so
// that they load once their cause is fixed, whichever way the rows were
// inserted: one statement per record, or batches whose refused rows Oracle
// reports one by one.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "dbf_writer.hpp"
#include "e2e_expected_table.hpp"
#include "e2e_session.hpp"

namespace {

std::filesystem::path write_goods(const e2e_session& session) {
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.table_flags(0x02).language_driver(0x03);
  table.field(u"NAME", 'C', 12).field(u"QTY", 'N', 5).field(u"NOTE", 'M');
  table.record({dbf_cell::text(u"Apples"), dbf_cell::integer(12), dbf_cell::text(u"red")});
  table.record({dbf_cell::text(u"Pears"), dbf_cell::integer(3), dbf_cell::text(u"green")});
  table.record({dbf_cell::text(u"Plums"), dbf_cell::integer(40), dbf_cell::text(u"blue and sweet")});
  table.record({dbf_cell::text(u"Figs"), dbf_cell::integer(7), dbf_cell::text(u"")});
  table.write(folder, "GOODS.DBF");
  return folder;
}

// The expected rows of `table`, header line left out.
std::string rows_of(const e2e_expected_table& table) {
  const std::string text = table.text();
  return text.substr(text.find('\n') + 1);
}

// How the rows go in: records 1 and 3 are refused in one batch of three,
// records 1..3 before record 4 goes in a batch of its own.
class E2eBadFileOnEachPath : public testing::TestWithParam<const char*> {};

TEST_P(E2eBadFileOnEachPath, RejectedRecordsLoadAgainOnceTheCauseIsFixed) {
  e2e_session session;
  const std::filesystem::path folder = write_goods(session);
  ASSERT_EQ(session.convert(folder).status, 0);
  // A unique key that records 1 and 3 will break when merged again.
  session.sql("DELETE FROM GOODS WHERE NAME IN ('Pears', 'Figs')");
  session.sql("CREATE UNIQUE INDEX GOODS_NAME ON GOODS (NAME)");
  const std::filesystem::path bad = session.root() / "bad";
  const e2e_result merged = session.convert(folder, {GetParam(), "--mode=1", "--badfile=" + bad.string() + "/"});
  EXPECT_EQ(merged.status, 2) << merged.describe();
  EXPECT_NE(merged.out.find("goods, record #3: Duplicate field values"), std::string::npos) << merged.describe();
  EXPECT_NE(merged.out.find("goods: 2 rejected records written to " + (bad / "GOODS.DBF").string()), std::string::npos)
      << merged.out;
  ASSERT_TRUE(std::filesystem::exists(bad / "GOODS.DBF"));
  EXPECT_TRUE(std::filesystem::exists(bad / "GOODS.FPT"));
  const std::string messages = e2e_read_file(bad / "GOODS.txt");
  EXPECT_EQ(messages.rfind("1\t1\tORA-00001: unique constraint", 0), 0u) << messages;
  EXPECT_NE(messages.find("\n2\t3\tORA-00001: unique constraint"), std::string::npos) << messages;

  // The bad file holds exactly the rejected source records, memos and all...
  const e2e_expected_table source(folder, u"goods");
  const e2e_expected_table rejected(bad, u"goods");
  ASSERT_EQ(rejected.row_count(), 2u);
  const std::string source_rows = rows_of(source);
  const std::string rejected_rows = rows_of(rejected);
  const std::size_t second_row = source_rows.find('\n') + 1;
  const std::size_t third_row = source_rows.find('\n', second_row) + 1;
  EXPECT_EQ(rejected_rows, source_rows.substr(0, second_row) +
                               source_rows.substr(third_row, source_rows.find('\n', third_row) + 1 - third_row));

  // ...which arrive once the clash is gone.
  session.sql("DELETE FROM GOODS");
  const e2e_result again = session.convert(bad, {GetParam(), "--mode=1"});
  EXPECT_EQ(again.status, 0) << again.describe();
  EXPECT_EQ(rejected.difference(session.sql(rejected.query())), "");
}

INSTANTIATE_TEST_SUITE_P(BothPaths, E2eBadFileOnEachPath, testing::Values("--rowbyrow", "--batch=3"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.index == 0 ? "RowByRow" : "Batches");
                         });

// A bad file that cannot be written is an error of its own: the table goes
// on, the refused record is still reported with Oracle's message, and the
// summary counts the rows committed, on both paths.
TEST_P(E2eBadFileOnEachPath, ABadFileThatCannotBeWrittenLeavesTheCountsTrue) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 3).field(u"NAME", 'C', 8);
  for (int id = 1; id <= 4; ++id) table.record({dbf_cell::integer(id), dbf_cell::text(id == 2 ? u"too long" : u"ok")});
  table.write(folder, "ITEMS.DBF");
  session.sql("CREATE TABLE ITEMS (ID NUMBER(3), NAME NVARCHAR2(4))");
  const std::filesystem::path not_a_folder = session.root() / "plain";
  std::ofstream(not_a_folder) << "a file, not a folder";
  const e2e_result run =
      session.convert(folder, {GetParam(), "--mode=1", "--badfile=" + (not_a_folder / "items.dbf").string()});
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_EQ(e2e_occurrences(run.out, "Cannot write the bad file"), 1u) << run.out;
  EXPECT_NE(run.out.find("items, record #2: ORA-12899"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("items: read 4, inserted 3, failed 1,"), std::string::npos) << run.out;
  EXPECT_EQ(session.count("ITEMS"), "3");
}

TEST(E2eBadFile, ANamedFileServesTheFirstTableAndLaterOnesAddTheirName) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  for (const char* name : {"ONE.DBF", "TWO.DBF"}) {
    dbf_writer table(0x03);
    table.field(u"ID", 'N', 4).record({dbf_cell::integer(1)}).record({dbf_cell::integer(2)});
    table.write(folder, name);
  }
  ASSERT_EQ(session.convert(folder).status, 0);
  session.sql("CREATE UNIQUE INDEX ONE_ID ON ONE (ID)");
  session.sql("CREATE UNIQUE INDEX TWO_ID ON TWO (ID)");
  const std::filesystem::path bad = session.root() / "rejects.dbf";
  const e2e_result merged = session.convert(folder, {"--mode=1", "--badfile=" + bad.string()});
  EXPECT_EQ(merged.status, 2) << merged.describe();
  EXPECT_EQ(e2e_expected_table(session.root(), u"rejects").row_count(), 2u);
  EXPECT_EQ(e2e_expected_table(session.root(), u"rejects_two").row_count(), 2u);
  EXPECT_EQ(e2e_occurrences(e2e_read_file(session.root() / "rejects_two.txt"), "ORA-00001"), 2u);
}

}  // namespace
