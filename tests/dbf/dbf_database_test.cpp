#include "dbf_test_folder.hpp"

#include "dbf_database.hpp"
#include "tk_mail_assertion.hpp"

namespace {

dbf_writer small_table(const std::u16string& text) {
  dbf_writer table(0x03);
  table.field(u"A", 'C', 10);
  table.record({dbf_cell::text(text)});
  return table;
}

}  // namespace

TEST_F(DbfTest, FolderListsDbfFilesOfAnyCaseAsLowerCaseTables) {
  small_table(u"orders").write(folder_, "ORDERS.DBF");
  small_table(u"items").write(folder_, "Items.dbf");
  write_bytes("notes.txt", "x");
  std::filesystem::create_directory(folder_ / "dir.dbf");
  std::string before = std::filesystem::current_path().string();
  dbf_database db(tk_utf8_to_utf16_lenient(folder_.string()), 0, reporter_);
  EXPECT_EQ(std::filesystem::current_path().string(), before);
  EXPECT_EQ(db.get_tables(), (std::vector<std::u16string>{u"items", u"orders"}));
  EXPECT_EQ(db.get_full_table_name(u"orders"), path("ORDERS.DBF"));
  auto t = db.get_table(u"orders", udb_access::read);
  EXPECT_EQ(first_record(static_cast<dbf_recordset&>(*t))[0].to_wstring(), u"orders");
  EXPECT_TRUE(db.is_table_exist(u"ITEMS"));
  // The folder is only read.
  EXPECT_THROW(db.get_table(u"orders", udb_access::append), tk_mail_assertion);
}

// Databases of two folders, and two of one folder, stand side by side
// (the wizard lists a folder while a run reads it): each lists and opens
// the tables of its own folder, in its own encoding.
TEST_F(DbfTest, DatabasesSideBySideStayIndependent) {
  small_table(u"here").write(folder_, "orders.dbf");
  const std::filesystem::path other = folder_ / "other";
  std::filesystem::create_directory(other);
  small_table(u"there").write(other, "orders.dbf");
  small_table(u"only").write(other, "extra.dbf");
  dbf_database here(tk_utf8_to_utf16_lenient(folder_.string()), 0, reporter_);
  dbf_database there(tk_utf8_to_utf16_lenient(other.string()), 0xC9, reporter_);
  {
    dbf_database again(tk_utf8_to_utf16_lenient(folder_.string()), 0, reporter_);
    EXPECT_EQ(again.get_tables(), here.get_tables());
  }
  EXPECT_EQ(here.get_tables(), (std::vector<std::u16string>{u"orders"}));
  EXPECT_EQ(there.get_tables(), (std::vector<std::u16string>{u"extra", u"orders"}));
  EXPECT_FALSE(here.is_table_exist(u"extra"));
  EXPECT_EQ(here.codepage, 0);
  EXPECT_EQ(there.codepage, 0xC9);
  auto near = here.get_table(u"orders", udb_access::read);
  auto far = there.get_table(u"orders", udb_access::read_without_indexes);
  EXPECT_EQ(first_record(static_cast<dbf_recordset&>(*near))[0].to_wstring(), u"here");
  EXPECT_EQ(first_record(static_cast<dbf_recordset&>(*far))[0].to_wstring(), u"there");
}

// Every file is a table: later files of a name clashing in case take the
// next free "_n" name, in the order of their exact names.
TEST_F(DbfTest, FilesWhoseNamesClashInCaseEachBecomeATable) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: a folder cannot hold names that differ only in case";
#endif
  small_table(u"upper").write(folder_, "ORDERS.DBF");
  small_table(u"mixed").write(folder_, "Orders.dbf");
  small_table(u"lower").write(folder_, "orders.dbf");
  small_table(u"own").write(folder_, "orders_1.dbf");
  dbf_database db(tk_utf8_to_utf16_lenient(folder_.string()), 0, reporter_);
  EXPECT_EQ(db.get_tables(), (std::vector<std::u16string>{u"orders", u"orders_2", u"orders_3", u"orders_1"}));
  const std::pair<const char16_t*, const char16_t*> contents[] = {
      {u"orders", u"upper"}, {u"orders_2", u"mixed"}, {u"orders_3", u"lower"}, {u"orders_1", u"own"}};
  for (const auto& [table, text] : contents) {
    auto t = db.get_table(table, udb_access::read);
    EXPECT_EQ(t->name, table);
    EXPECT_EQ(first_record(static_cast<dbf_recordset&>(*t))[0].to_wstring(), text);
  }
  EXPECT_EQ(db.renamed(u"orders"), nullptr);
  EXPECT_EQ(db.renamed(u"orders_1"), nullptr);
  ASSERT_NE(db.renamed(u"ORDERS_3"), nullptr);
  EXPECT_EQ(db.renamed(u"ORDERS_3")->table, u"orders");
  EXPECT_EQ(db.renamed(u"ORDERS_3")->file, "orders.dbf");
  EXPECT_EQ(db.renamed(u"orders_2")->file, "Orders.dbf");
}

TEST_F(DbfTest, EmptyMissingAndVanishingFolders) {
  {
    dbf_database empty(tk_utf8_to_utf16_lenient(folder_.string()), 0, reporter_);
    EXPECT_TRUE(empty.get_tables().empty());
  }
  try {
    dbf_database missing(tk_utf8_to_utf16_lenient(path("nowhere")), 0, reporter_);
    ADD_FAILURE();
  } catch (const tk_exception& e) {
    EXPECT_EQ(e.level, 1);
    EXPECT_NE(e.message.find("nowhere"), std::string::npos);
  }
  small_table(u"x").write(folder_, "gone.dbf");
  dbf_database db(tk_utf8_to_utf16_lenient(folder_.string()), 0, reporter_);
  std::filesystem::remove(path("gone.dbf"));
  try {
    db.get_table(u"gone", udb_access::read);
    ADD_FAILURE();
  } catch (const tk_exception& e) {
    EXPECT_EQ(e.level, 0);  // that table fails, the run goes on
  }
}

// Opening a table only notes its index files; a .cdx named after it is the
// table's even when its header's flag is clear.
TEST_F(DbfTest, IdxAndCdxFilesOfATableAreOnlyNoted) {
  small_table(u"x").write(folder_, "t.dbf");
  write_bytes("T.IDX", "");
  write_bytes("t.cdx", "");
  start_log();
  dbf_recordset t(path("t.dbf"), dbf_recordset::index_files::read, 0);
  logger_.reset();
  std::string log = log_text();
  EXPECT_NE(log.find("Index file " + path("T.IDX")), std::string::npos) << log;
  EXPECT_NE(log.find("Index file " + path("t.cdx")), std::string::npos) << log;
  EXPECT_TRUE(t.indexes.empty());
}

TEST_F(DbfTest, UserEncodingAppliesToEveryTable) {
  dbf_writer table(0x03);
  table.code_page(1251).language_driver(0x03).field(u"A", 'C', 4);
  table.record({dbf_cell::text(u"\u0416\u0443\u043A")});
  table.write(folder_, "a.dbf");
  table.write(folder_, "b.dbf");
  dbf_database db(tk_utf8_to_utf16_lenient(folder_.string()), 0xC9, reporter_);
  for (const std::u16string& name : std::vector<std::u16string>(db.get_tables())) {
    auto t = db.get_table(name, udb_access::read);
    EXPECT_EQ(first_record(static_cast<dbf_recordset&>(*t))[0].to_wstring(), u"\u0416\u0443\u043A");
  }
}
