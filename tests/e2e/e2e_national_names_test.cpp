// Files whose names hold letters no single-byte code page has all of
// (Cyrillic beside U+2713): the table, its memo file and its index are found
// and read, the rejected records land in a bad file of such a name, and the
// journal and the console name every file as it is, so that a stopped run
// resumes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "dbf_index_writer.hpp"
#include "dbf_writer.hpp"
#include "e2e_expected_table.hpp"
#include "e2e_session.hpp"

namespace {

constexpr int records = 300;
const std::string table_stem = "Склад✓";

std::filesystem::path utf8_path(const std::string& text) { return std::u8string(text.begin(), text.end()); }

std::string utf8_of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// NAME unique, QTY the record's number, NOTE a memo in Cyrillic; a
// structural index with one tag on QTY.
std::filesystem::path write_stock(const e2e_session& session) {
  const std::filesystem::path folder = session.root() / utf8_path("Данные ✓");
  std::filesystem::create_directories(folder);
  dbf_writer table(0x30);
  table.table_flags(0x03).language_driver(0xC9);
  table.field(u"NAME", 'C', 12).field(u"QTY", 'N', 5).field(u"NOTE", 'M');
  for (int number = 1; number <= records; ++number) {
    const std::u16string digits(std::u16string(u"item ") + std::u16string(1, u'0' + number / 100) +
                                std::u16string(1, u'0' + number / 10 % 10) + std::u16string(1, u'0' + number % 10));
    table.record({dbf_cell::text(digits), dbf_cell::integer(number),
                  dbf_cell::text(number % 2 ? u"заметка" : u"ещё одна")});
  }
  table.write(folder, table_stem + ".DBF");
  dbf_index_writer::write(folder, table_stem + ".CDX", dbf_index_writer::cdx({{"QTY", "qty"}}));
  return folder;
}

// The rows of the converted table, in the order of the source's records.
std::string converted_rows(const e2e_session& session) {
  return session.sql("SELECT NAME, QTY, NOTE FROM \"СКЛАД_\" ORDER BY QTY");
}

}  // namespace

// A merge whose connection is lost after it rejected records 1 and 2, then
// resumed, where record 299 is rejected too: one bad file holds all three.
TEST(E2eNationalNames, TableMemoIndexBadFileAndJournalKeepTheirNames) {
  e2e_session session;
  const std::filesystem::path folder = write_stock(session);
  std::vector<std::string> args = e2e_session::login();
  args.push_back("--src=" + utf8_of(folder));
  // A names file of such a name, in UTF-8 (its byte order mark says so).
  const std::filesystem::path names = session.root() / utf8_path("Таблицы ✓.txt");
  std::ofstream(names, std::ios::binary) << "\xEF\xBB\xBF" << table_stem << "\r\n";
  std::vector<std::string> first_args = args;
  first_args.push_back("--tab_file=" + utf8_of(names));
  const e2e_result first = session.agent(first_args);
  ASSERT_EQ(first.status, 0) << first.describe();
  EXPECT_NE(first.out.find("Converting database " + utf8_of(folder)), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("Склад✓: read 300, inserted 300, failed 0, skipped as deleted 0, warnings 0\n"),
            std::string::npos)
      << first.out;
  const e2e_expected_table expected(folder, u"Склад✓");
  ASSERT_EQ(expected.row_count(), std::size_t(records));
  EXPECT_EQ(expected.difference(converted_rows(session)), "");
  EXPECT_EQ(session.sql("SELECT INDEX_NAME, TABLE_NAME FROM USER_INDEXES"), "INDEX_NAME\tTABLE_NAME\nQTY\tСКЛАД_\n");

  session.sql("DELETE FROM \"СКЛАД_\" WHERE QTY NOT IN (1, 2, 299)");
  session.sql("CREATE UNIQUE INDEX STOCK_NAME ON \"СКЛАД_\" (NAME)");
  const std::filesystem::path bad = session.root() / utf8_path("Отказы ✓");
  args.insert(args.end(), {"--mode=1", "--rowbyrow", "--badfile=" + utf8_of(bad) + "/"});
  const e2e_result stopped = session.agent(args, {{"OCIEMU_GONE_AFTER", "150"}});
  ASSERT_EQ(stopped.status, 255) << stopped.describe();
  EXPECT_EQ(session.sql("SELECT SOURCE_FILE FROM \"VESPER$JOURNAL\""),
            "SOURCE_FILE\n" + utf8_of((folder / utf8_path(table_stem + ".DBF")).lexically_normal()) + "\n");

  args.push_back("--resume");
  const e2e_result resumed = session.agent(args, {});
  EXPECT_EQ(resumed.status, 2) << resumed.describe();
  EXPECT_NE(resumed.out.find("Table склад✓ continues after record #"), std::string::npos) << resumed.out;
  const std::filesystem::path bad_table = bad / utf8_path(table_stem + ".DBF");
  const std::filesystem::path messages = bad / utf8_path(table_stem + ".txt");
  EXPECT_NE(resumed.out.find("склад✓: 3 rejected records written to " + utf8_of(bad_table) +
                             " (Oracle's messages in " + utf8_of(messages) + ")\n"),
            std::string::npos)
      << resumed.out;
  EXPECT_EQ(expected.difference(converted_rows(session)), "");
  // The finished run dropped its journal.
  EXPECT_EQ(session.sql("SELECT TABLE_NAME FROM USER_TABLES"), "TABLE_NAME\nСКЛАД_\n");

  // The bad file: the three records with their memos, and one line each.
  ASSERT_TRUE(std::filesystem::exists(bad_table));
  EXPECT_TRUE(std::filesystem::exists(bad / utf8_path(table_stem + ".FPT")));
  const e2e_expected_table rejected(bad, u"Склад✓");
  const std::string all = expected.text();
  auto line = [&](int number) {
    std::size_t at = 0;
    for (int k = 0; k < number; ++k) at = all.find('\n', at) + 1;
    return all.substr(at, all.find('\n', at) + 1 - at);
  };
  EXPECT_EQ(rejected.text(), line(0) + line(1) + line(2) + line(299));
  std::string lines = e2e_read_file(messages);
  std::erase(lines, '\r');
  EXPECT_EQ(e2e_occurrences(lines, "ORA-00001: unique constraint (SCOTT.STOCK_NAME) violated\n"), 3u) << lines;
  EXPECT_EQ(lines.rfind("1\t1\tORA-00001", 0), 0u) << lines;
  EXPECT_NE(lines.find("\n2\t2\tORA-00001"), std::string::npos) << lines;
  EXPECT_NE(lines.find("\n3\t299\tORA-00001"), std::string::npos) << lines;
}
