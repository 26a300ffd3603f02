// The conversion options against a schema that already has the tables:
// overwrite, merge (with and without the structure check) and skip, table
// definitions only, deleted records, upper-case names, logical fields as
// numbers and the user's code page.
#include <gtest/gtest.h>

#include "dbf_writer.hpp"
#include "e2e_expected_table.hpp"
#include "e2e_session.hpp"

namespace {

// A small table of goods with one deleted record.
std::filesystem::path write_goods(const e2e_session& session, const std::string& folder_name) {
  const std::filesystem::path folder = session.folder(folder_name);
  dbf_writer table(0x30);
  table.table_flags(0x02).language_driver(0x03);
  table.field(u"NAME", 'C', 12).field(u"QTY", 'N', 5).field(u"FRESH", 'L').field(u"NOTE", 'M');
  table.record({dbf_cell::text(u"Apples"), dbf_cell::integer(12), dbf_cell::boolean(true), dbf_cell::text(u"red")});
  table.deleted_record({dbf_cell::text(u"Pears"), dbf_cell::integer(3), dbf_cell::boolean(false), dbf_cell::text(u"")});
  table.record({dbf_cell::text(u"Plums"), dbf_cell::integer(40), dbf_cell::boolean(false), dbf_cell::text(u"blue")});
  table.write(folder, "GOODS.DBF");
  return folder;
}

TEST(E2eModes, OverwriteReplacesTheTableWithTheDbfStructureAndRows) {
  e2e_session session;
  const std::filesystem::path folder = write_goods(session, "dbf");
  session.sql("CREATE TABLE GOODS (OTHER NUMBER(3))");
  session.sql("INSERT INTO GOODS VALUES (7)");
  ASSERT_EQ(session.convert(folder).status, 0);
  const e2e_result again = session.convert(folder, {"--mode=0"});
  ASSERT_EQ(again.status, 0) << again.describe();
  const e2e_expected_table expected(folder, u"goods");
  EXPECT_EQ(expected.difference(session.sql(expected.query())), "");
}

TEST(E2eModes, MergeAppendsAndChecksTheStructureOnlyWithLogicalsAsNumbers) {
  e2e_session session;
  const std::filesystem::path folder = write_goods(session, "dbf");
  ASSERT_EQ(session.convert(folder).status, 0);
  // With logical fields as 'T'/'F' no structure check is made.
  ASSERT_EQ(session.convert(folder, {"--mode=1"}).status, 0);
  EXPECT_EQ(session.count("GOODS"), "6");

  // Logical fields as numbers: a table of the same structure conforms...
  session.sql("DROP TABLE GOODS");
  ASSERT_EQ(session.convert(folder, {"--log2int"}).status, 0);
  const e2e_result merged = session.convert(folder, {"--log2int", "--mode=1"});
  EXPECT_EQ(merged.status, 0) << merged.describe();
  EXPECT_EQ(session.sql("SELECT NAME, QTY, FRESH FROM GOODS ORDER BY ROWID"),
            "NAME\tQTY\tFRESH\nApples\t12\t1\nPears\t3\t0\nPlums\t40\t0\nApples\t12\t1\nPears\t3\t0\nPlums\t40\t0\n");

  // ...one of another structure does not, and is left as it was.
  session.sql("DROP TABLE GOODS");
  session.sql("CREATE TABLE GOODS (NAME NVARCHAR2(12), WEIGHT NUMBER(5,2))");
  const e2e_result refused = session.convert(folder, {"--log2int", "--mode=1"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(e2e_untimed(refused.out), "Converting database " + folder.string() +
                             "(1 tables)\n"
                             "Error:\ngoods: The structure of data source does not conform to the destination table.\n"
                             "Summary:\n"
                             "goods: read 0, inserted 0, failed 0, skipped as deleted 0, warnings 0 (table failed)\n" +
                             std::string("The run's journal is kept: --resume converts the tables that did not finish and leaves the others alone\n"));
  EXPECT_EQ(session.count("GOODS"), "0");
}

TEST(E2eModes, SkipLeavesAnExistingTableUntouched) {
  e2e_session session;
  const std::filesystem::path folder = session.copy_of_samples("dbf");
  ASSERT_EQ(session.convert(folder, {"--tab_def"}).status, 0);
  session.sql("INSERT INTO SUPPLIER (SUPP_ID, NAME) VALUES (99, 'kept')");
  session.sql("DROP TABLE ORDLINES");
  const e2e_result run = session.convert(folder, {"--mode=2"});
  ASSERT_EQ(run.status, 0) << run.describe();
  // Only the missing table is converted; each skipped one is named.
  const std::string skipped = " (skipped)\n";
  const std::string none = ": read 0, inserted 0, failed 0, skipped as deleted 0, warnings 0";
  EXPECT_EQ(e2e_untimed(run.out), "Converting database " + folder.string() + "(6 tables)\n"
                     "Table customer skipped: the Oracle table CUSTOMER exists\n"
                     "Table employee skipped: the Oracle table EMPLOYEE exists\n"
                     "Table orders skipped: the Oracle table ORDERS exists\n"
                     "Converting table ordlines(36 records)\n"
                     "Table products skipped: the Oracle table PRODUCTS exists\n"
                     "Table supplier skipped: the Oracle table SUPPLIER exists\n"
                     "Summary:\n"
                     "customer" + none + skipped + "employee" + none + skipped + "orders" + none + skipped +
                     "ordlines: read 36, inserted 36, failed 0, skipped as deleted 0, warnings 0\n"
                     "products" + none + skipped + "supplier" + none + skipped);
  EXPECT_EQ(session.sql("SELECT SUPP_ID, NAME FROM SUPPLIER"), "SUPP_ID\tNAME\n99\tkept\n");
  EXPECT_EQ(session.count("CUSTOMER"), "0");
  EXPECT_EQ(session.count("ORDLINES"), "36");
}

TEST(E2eModes, DefinitionsOnlyCreatesEveryTableWithoutRows) {
  e2e_session session;
  const e2e_result run = session.convert(e2e_paths::samples(), {"--tab_def"});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_NE(run.out.find("Converting table orders(14 records)\n"), std::string::npos);
  EXPECT_EQ(session.tables(), "CUSTOMER\nEMPLOYEE\nORDERS\nORDLINES\nPRODUCTS\nSUPPLIER\n");
  for (const char* table : {"CUSTOMER", "EMPLOYEE", "ORDERS", "ORDLINES", "PRODUCTS", "SUPPLIER"})
    EXPECT_EQ(session.count(table), "0") << table;
  EXPECT_EQ(session.sql("SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'PRODUCTS'"), "COUNT(*)\n10\n");
}

TEST(E2eModes, SkipDeletedLeavesOutDeletedRecordsOnly) {
  e2e_session session;
  const std::filesystem::path folder = session.copy_of_samples("dbf");
  const e2e_result run = session.convert(folder, {"--skip_del"});
  ASSERT_EQ(run.status, 0) << run.describe();
  // The record counts printed are those of the files.
  EXPECT_NE(run.out.find("Converting table customer(11 records)\n"), std::string::npos);
  e2e_expectation_options options;
  options.skip_deleted = true;
  for (const std::u16string name : {u"customer", u"ordlines"}) {
    const e2e_expected_table expected(folder, name, options);
    EXPECT_EQ(expected.difference(session.sql(expected.query())), "");
  }
  EXPECT_EQ(session.count("CUSTOMER"), "10");
  EXPECT_EQ(session.count("ORDLINES"), "35");
  EXPECT_EQ(session.sql("SELECT COUNT(*) FROM CUSTOMER WHERE CUST_ID = 1007"), "COUNT(*)\n0\n");
}

TEST(E2eModes, NamesKeepTheirCaseWhenTheStoredSettingSaysSo) {
  e2e_session session;
  const std::filesystem::path folder = write_goods(session, "dbf");
  dbf_writer mixed(0x03);
  mixed.field(u"Qty", 'N', 4).record({dbf_cell::integer(5)});
  mixed.write(folder, "Mixed.dbf");
  session.store_setting("uppercase", 0);
  const e2e_result lower = session.convert(folder);
  ASSERT_EQ(lower.status, 0) << lower.describe();
  // Table names are the folder's (lower case); column names are the file's.
  EXPECT_EQ(session.tables(), "goods\nmixed\n");
  EXPECT_EQ(session.sql("SELECT \"Qty\" FROM \"mixed\""), "Qty\n5\n");
  e2e_expectation_options options;
  options.uppercase = false;
  const e2e_expected_table expected(folder, u"goods", options);
  EXPECT_EQ(expected.difference(session.sql(expected.query())), "");

  // The option turns upper case back on over the stored setting. (The
  // emulation cannot hold two names that differ only in case.)
  session.sql("DROP TABLE \"goods\"");
  session.sql("DROP TABLE \"mixed\"");
  const e2e_result upper = session.convert(folder, {"--uppercase"});
  ASSERT_EQ(upper.status, 0) << upper.describe();
  EXPECT_EQ(session.tables(), "GOODS\nMIXED\n");
  EXPECT_EQ(session.sql("SELECT QTY FROM MIXED"), "QTY\n5\n");
}

TEST(E2eModes, LogicalFieldsBecomeCharacterOrNumber) {
  e2e_session session;
  const std::filesystem::path folder = write_goods(session, "dbf");
  const char* const type_query = "SELECT DATA_TYPE, DATA_LENGTH FROM USER_TAB_COLUMNS WHERE COLUMN_NAME = 'FRESH'";
  ASSERT_EQ(session.convert(folder).status, 0);
  EXPECT_EQ(session.sql(type_query), "DATA_TYPE\tDATA_LENGTH\nCHAR\t1\n");  // BYTE semantics
  EXPECT_EQ(session.sql("SELECT FRESH FROM GOODS ORDER BY ROWID"), "FRESH\nT\nF\nF\n");

  ASSERT_EQ(session.convert(folder, {"--log2int"}).status, 0);
  EXPECT_EQ(session.sql(type_query), "DATA_TYPE\tDATA_LENGTH\nNUMBER\t22\n");
  e2e_expectation_options options;
  options.logical_as_numbers = true;
  const e2e_expected_table expected(folder, u"goods", options);
  EXPECT_EQ(expected.difference(session.sql(expected.query())), "");
}

TEST(E2eModes, TheEncodingOptionOverridesTheTablesCodePage) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  // Windows-1251 text in a table whose header claims DOS Russian (866).
  dbf_writer table(0x03);
  table.language_driver(0x26).code_page(1251);
  table.field(u"CITY", 'C', 20).record({dbf_cell::text(u"Москва")}).record({dbf_cell::text(u"Тверь")});
  table.write(folder, "CITIES.DBF");

  ASSERT_EQ(session.convert(folder).status, 0);
  const std::string as_866 = session.sql("SELECT CITY FROM CITIES ORDER BY ROWID");
  EXPECT_NE(as_866, "CITY\nМосква\nТверь\n");
  ASSERT_EQ(session.convert(folder, {"--encoding=201"}).status, 0);  // 0xC9, Russian Windows
  EXPECT_EQ(session.sql("SELECT CITY FROM CITIES ORDER BY ROWID"), "CITY\nМосква\nТверь\n");
}

}  // namespace
