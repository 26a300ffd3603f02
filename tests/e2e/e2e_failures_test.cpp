// What goes wrong in real migrations: the server cannot be reached or
// refuses the login, a table file is damaged, a memo file is missing, a
// record does not fit the table it is merged into. Each failure costs only
// its own record or table, is named in the error text, and shows in the exit
// status.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

void expect_connection_refused(const e2e_session& session, const std::vector<std::string>& args,
                               const std::string& message) {
  std::vector<std::string> all = {"--src=" + e2e_paths::samples().string()};
  all.insert(all.end(), args.begin(), args.end());
  const e2e_result run = session.agent(all);
  EXPECT_EQ(run.status, 255) << run.describe();
  EXPECT_EQ(run.out, "Error:\n" + message + "\n");
  // Nothing on standard error but the notice for a password on the command line.
  const bool password_argument =
      std::any_of(args.begin(), args.end(), [](const std::string& a) { return a.rfind("--oraclp=", 0) == 0; });
  EXPECT_EQ(run.err.empty(), !password_argument) << run.err;
  if (password_argument) {
    EXPECT_EQ(run.err.rfind("Notice: a password given with --oraclp=", 0), 0u) << run.err;
  }
}

TEST(E2eFailures, ConnectionFailuresStopTheAgentWithTheirMessage) {
  e2e_session session;
  expect_connection_refused(session, {"--dest=XE", "--oraclu=scott", "--oraclp=wrong"},
                            "Invalid user name or password.");
  // The friendly text ends with its own line end, shown as a space.
  expect_connection_refused(session, {"--dest=NOSUCH", "--oraclu=scott", "--oraclp=tiger"},
                            "Cannot resolve Oracle service name. Check to verify the correct name was given. ");
  expect_connection_refused(session, {"--dest=XE", "--oraclu=scott", "--oraclp=tiger", "--port=1599"},
                            "ORA-12541: no listener. For more information see Troubleshooting article of the "
                            "product documentation.");
  EXPECT_EQ(session.tables(), "");
  // Silent mode hides the message, not the status.
  const e2e_result silent = session.agent({"--src=" + e2e_paths::samples().string(), "--dest=XE", "--oraclu=scott",
                                           "--oraclp=wrong", "--silent"});
  EXPECT_EQ(silent.status, 255);
  EXPECT_EQ(silent.out + silent.err, "");
}

TEST(E2eFailures, ADamagedTableIsReportedAndTheOthersConvert) {
  e2e_session session;
  const std::filesystem::path folder = session.copy_of_samples("dbf");
  std::filesystem::resize_file(folder / "ORDLINES.DBF", 100);  // cut inside the field descriptors
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("Converting table orders(14 records)\nError:\nordlines: File does not comply with DBF "
                         "format: the file ends inside its header, after 100 of its "),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(" bytes\nConverting table products(10 records)\n"), std::string::npos) << run.out;
  // The journal stays for a resume that converts the failed table alone.
  EXPECT_EQ(session.tables(), "CUSTOMER\nEMPLOYEE\nORDERS\nPRODUCTS\nSUPPLIER\nVESPER$JOURNAL\n");
  EXPECT_EQ(session.count("PRODUCTS"), "10");
  EXPECT_EQ(session.count("SUPPLIER"), "5");
}

// A copy cut short among the records: the user learns how many records the
// header counts and how many the file still holds.
TEST(E2eFailures, ATruncatedTableSaysHowManyRecordsTheFileHolds) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("cut");
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 5).field(u"NAME", 'C', 15);
  for (int i = 1; i <= 10; ++i) table.record({dbf_cell::integer(i), dbf_cell::text(u"name")});
  table.write(folder, "CUT.DBF");
  // 97 bytes of header, 21 a record: three whole records and part of a fourth.
  std::filesystem::resize_file(folder / "CUT.DBF", 97 + 3 * 21 + 10);
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("cut: File does not comply with DBF format: its header counts 10 records, but the file "
                         "ends after 3 whole records (170 bytes where 307 are needed)"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.tables(), "VESPER$JOURNAL\n");
}

TEST(E2eFailures, AMissingMemoFileNamesItsTableAndFailsTheRun) {
  e2e_session session;
  const std::filesystem::path folder = session.copy_of_samples("dbf");
  std::filesystem::remove(folder / "EMPLOYEE.DBT");
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("Converting table customer(11 records)\nError:\nemployee: Memo file not found\n"
                         "Converting table employee(4 records)\n"),
            std::string::npos)
      << run.out;
  // The records arrive with empty memos; the other tables keep theirs.
  EXPECT_EQ(session.sql("SELECT EMP_ID, LAST, BIO FROM EMPLOYEE WHERE EMP_ID = 1"), "EMP_ID\tLAST\tBIO\n1\tLefèvre\t\n");
  EXPECT_EQ(session.sql("SELECT LENGTH(DESCRIPT) L FROM PRODUCTS WHERE CODE = 'EM-900'"), "L\n4652\n");
}

// Goods to merge into tables the schema already has.
std::filesystem::path write_goods(const e2e_session& session) {
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.field(u"NAME", 'C', 12).field(u"QTY", 'N', 5);
  for (const char16_t* name : {u"Plum", u"Watermelon", u"Fig", u"Pear", u"Kiwi"})
    table.record({dbf_cell::text(name), dbf_cell::integer(static_cast<int>(std::u16string(name).size()))});
  table.write(folder, "GOODS.DBF");
  return folder;
}

TEST(E2eFailures, AFailingRecordIsNamedAndLaterRecordsConvert) {
  e2e_session session;
  const std::filesystem::path folder = write_goods(session);
  // Too narrow for "Watermelon" (record 2), and a key "Pear" (record 4) already holds.
  session.sql("CREATE TABLE GOODS (NAME NVARCHAR2(6) PRIMARY KEY, QTY NUMBER(5,0))");
  session.sql("INSERT INTO GOODS VALUES ('Pear', 0)");
  const e2e_result run = session.convert(folder, {"--mode=1"});
  EXPECT_EQ(run.status, 2) << run.describe();
  const std::string table_line = "Converting table goods(5 records)\n";
  ASSERT_NE(run.out.find(table_line), std::string::npos) << run.out;
  const std::string errors = run.out.substr(run.out.find(table_line) + table_line.size());
  EXPECT_EQ(errors.rfind("Error:\ngoods, record #2: ORA-12899: value too large for column", 0), 0u) << errors;
  EXPECT_NE(errors.find("Error:\ngoods, record #4: Duplicate field values being used for an unique index were "
                        "found. See 'Troubleshooting' article of the product documentation for solution.\n"),
            std::string::npos)
      << errors;
  EXPECT_EQ(session.sql("SELECT NAME, QTY FROM GOODS ORDER BY ROWID"), "NAME\tQTY\nPear\t0\nPlum\t4\nFig\t3\nKiwi\t4\n");
}

TEST(E2eFailures, SilentModePrintsNothingButTheStatusTellsOfFailures) {
  e2e_session session;
  const std::filesystem::path folder = write_goods(session);
  session.sql("CREATE TABLE GOODS (NAME NVARCHAR2(6), QTY NUMBER(5,0))");
  const std::filesystem::path names = session.root() / "names.txt";
  std::ofstream(names) << "goods\nmissing\n";
  const e2e_result run = session.convert(folder, {"--mode=1", "--silent", "--tab_file=" + names.string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(session.count("GOODS"), "4");
}

}  // namespace
