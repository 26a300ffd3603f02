#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "rename_counter.hpp"
#include "test_platform.hpp"
#include "tk_exception.hpp"
#include "tk_log_file.hpp"
#include "vesper_settings_store.hpp"

namespace {

class VesperSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string test_name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    store_ = std::filesystem::path(::testing::TempDir()) / ("settings_" + test_name) / "Vesper.reg";
    std::filesystem::remove_all(store_.parent_path());
#ifdef _WIN32
    // The settings live in the registry there: under a key of the test's
    // own, never the user's.
    registry_key_ = "Software\\Tolvane\\VesperTest_" + test_name;
    test_remove_registry_key(registry_key_);
#endif
  }
  void TearDown() override {
    std::filesystem::remove_all(store_.parent_path());
#ifdef _WIN32
    test_remove_registry_key(registry_key_);
#endif
  }
  void write_store(const std::string& text) {
    std::filesystem::create_directories(store_.parent_path());
    std::ofstream(store_) << "[Software\\Tolvane\\Vesper]\n" << text;
  }
  // Where a converter keeps its settings.
  std::string store_path() const {
#ifdef _WIN32
    return "HKEY_CURRENT_USER\\" + registry_key_;
#else
    return store_.string();
#endif
  }
  std::filesystem::path store_;
#ifdef _WIN32
  std::string registry_key_;
#endif
};

}  // namespace

TEST_F(VesperSettingsTest, FirstStartUsesTheDefaults) {
  vesper_settings_store store(store_path());
  vesper_settings settings;
  settings.upper_case = false;  // values the store lacks take their defaults
  settings.existing_tables = existing_table_mode::skip;
  EXPECT_FALSE(store.load(settings));  // nothing was stored yet
  EXPECT_EQ(settings.port, u"1521");
  EXPECT_TRUE(settings.upper_case);
  EXPECT_FALSE(settings.logicals_as_is);
  EXPECT_FALSE(settings.skip_deleted);
  EXPECT_FALSE(settings.skip_indexes);
  EXPECT_FALSE(settings.definitions_only);
  EXPECT_EQ(settings.existing_tables, existing_table_mode::overwrite);
  EXPECT_EQ(settings.insert, insert_path::bound_batches);
  EXPECT_EQ(settings.batch_rows, vesper_settings::default_batch_rows);
  EXPECT_EQ(settings.code_page, 0);
  EXPECT_EQ(settings.encoding(), code_page_source::each_table);
  EXPECT_EQ(settings.folder, u"");
  EXPECT_TRUE(store.problem().empty());
}

TEST_F(VesperSettingsTest, StoredValuesLoadAndBooleansAreNormalised) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: the settings are the registry key, not this file; the registry test covers loading them";
#endif
  write_store("\"uppercase\"=dword:00000000\n\"tab_def\"=dword:00000007\n\"mode\"=dword:00000002\n"
              "\"code_page\"=dword:000000c9\n\"src\"=\"/data/\xD0\xB4\xD0\xB1\xD1\x84\"\n\"port\"=\"1522\"\n"
              "\"row_by_row\"=dword:00000001\n");
  vesper_settings_store store(store_path());
  vesper_settings settings;
  EXPECT_FALSE(store.load(settings));  // some values are missing
  EXPECT_FALSE(settings.upper_case);
  EXPECT_TRUE(settings.definitions_only);
  EXPECT_EQ(settings.existing_tables, existing_table_mode::skip);
  EXPECT_EQ(settings.code_page, 0xC9);
  EXPECT_EQ(settings.encoding(), code_page_source::one_page);
  EXPECT_EQ(settings.folder, u"/data/\u0434\u0431\u0444");
  EXPECT_EQ(settings.port, u"1522");
  EXPECT_TRUE(settings.row_by_row());
  ASSERT_TRUE(store.store(settings));  // as the wizard does when it closes
  std::ifstream in(store_);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("\"tab_def\"=dword:00000001"), std::string::npos) << text;
  EXPECT_NE(text.find("\"mode\"=dword:00000002"), std::string::npos) << text;
  EXPECT_NE(text.find("\"row_by_row\"=dword:00000001"), std::string::npos) << text;
  EXPECT_NE(text.find("\"oracleh\"=\"\""), std::string::npos);
}

// A settings file as the released wizard writes it (every key, its types
// and order) still loads whole.
TEST_F(VesperSettingsTest, AFileTheReleasedWizardWroteLoads) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: the settings are the registry key, not this file";
#endif
  write_store("\"batch\"=dword:000001f4\n\"bool_dbf\"=dword:00000001\n\"code_page\"=dword:40000000\n"
              "\"commit\"=dword:00000fa0\n\"dest\"=\"ORCL\"\n\"lob_tablespace\"=\"LOBS\"\n\"mode\"=dword:00000001\n"
              "\"oracleh\"=\"db.example.com\"\n\"oraclep\"=\"tiger\"\n\"oracleu\"=\"scott\"\n\"port\"=\"1522\"\n"
              "\"row_by_row\"=dword:00000000\n\"schema\"=\"SALES\"\n\"skip_del\"=dword:00000001\n"
              "\"skip_idx\"=dword:00000001\n\"src\"=\"/data/dbf\"\n\"tab_def\"=dword:00000000\n"
              "\"tablespace\"=\"USERS\"\n\"uppercase\"=dword:00000001\n");
  vesper_settings_store store(store_path());
  vesper_settings settings;
  EXPECT_TRUE(store.load(settings));
  EXPECT_EQ(settings.batch_rows, 500u);
  EXPECT_EQ(settings.commit_rows, 4000u);
  EXPECT_TRUE(settings.logicals_as_is);
  EXPECT_EQ(settings.encoding(), code_page_source::detected);
  EXPECT_EQ(settings.service, u"ORCL");
  EXPECT_EQ(settings.host, u"db.example.com");
  EXPECT_EQ(settings.user, u"scott");
  EXPECT_EQ(settings.password, u"tiger");
  EXPECT_EQ(settings.port, u"1522");
  EXPECT_EQ(settings.existing_tables, existing_table_mode::merge);
  EXPECT_EQ(settings.insert, insert_path::bound_batches);
  EXPECT_EQ(settings.schema, u"SALES");
  EXPECT_EQ(settings.tablespace, u"USERS");
  EXPECT_EQ(settings.lob_tablespace, u"LOBS");
  EXPECT_TRUE(settings.skip_deleted);
  EXPECT_TRUE(settings.skip_indexes);
  EXPECT_EQ(settings.folder, u"/data/dbf");
  EXPECT_FALSE(settings.definitions_only);
  EXPECT_TRUE(settings.upper_case);
}

// Storing the settings replaces the file once: a reader in between never
// sees half of them, and the disk is not synced once per value.
TEST_F(VesperSettingsTest, StoringReplacesTheFileOnce) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: files are replaced with MoveFileExW there, which the test program cannot count";
#else
  vesper_settings_store store(store_path());
  vesper_settings settings;
  ASSERT_TRUE(store.store(settings));  // makes the folder
  rename_counter replaces(store_.string());
  settings.folder = u"/data/dbf";
  settings.existing_tables = existing_table_mode::merge;
  ASSERT_TRUE(store.store(settings));
  EXPECT_EQ(replaces.count(), 1);

  vesper_settings loaded;
  ASSERT_TRUE(store.load(loaded));
  EXPECT_EQ(loaded.folder, u"/data/dbf");
  EXPECT_EQ(loaded.existing_tables, existing_table_mode::merge);
#endif
}

TEST_F(VesperSettingsTest, DamagedStoreKeepsDefaults) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: the settings are the registry key, not this file; the registry test covers values of other types";
#endif
  write_store("\"mode\"=dword:00000009\n\"uppercase\"=banana\n\"batch\"=dword:00000000\n"
              "\"code_page\"=dword:00001234\n\x01\x02garbage\n");
  vesper_settings_store store(store_path());
  vesper_settings settings;
  store.load(settings);
  EXPECT_EQ(settings.existing_tables, existing_table_mode::overwrite);  // no unknown mode from a damaged value
  EXPECT_TRUE(settings.upper_case);
  EXPECT_EQ(settings.batch_rows, vesper_settings::default_batch_rows);  // never empty batches
  EXPECT_EQ(settings.code_page, 0);  // no code page no table can be read with
}

TEST_F(VesperSettingsTest, LogFileChecks) {
  try {
    tk_use_log_file("/no/such/folder/x.log");
    ADD_FAILURE();
  } catch (const tk_exception& e) {
    EXPECT_EQ(e.message, "Logfile path does not exist.\nPlease verify the correct path was given.");
    EXPECT_EQ(e.level, 1);
  }
  EXPECT_NO_THROW(tk_use_log_file(""));
}
