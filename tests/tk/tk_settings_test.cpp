#include <gtest/gtest.h>

#ifdef _WIN32
TEST(TkSettingsFile, IsLinuxOnly) { GTEST_SKIP() << "Windows: the settings live in the registry there (tk_registry_test); this per-user file, its modes and XDG folders are Linux's"; }
#else

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tk_exception.hpp"
#include "tk_mail_assertion.hpp"
#include "tk_reg_key.hpp"
#include "tk_reg_store.hpp"
#include "tk_yaml_config.hpp"
#include "rename_counter.hpp"

namespace fs = std::filesystem;

namespace {

class TkSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("tk_settings_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  void write(const char* name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  fs::path dir_;
};

constexpr const char* key_path = "Software\\Tolvane\\Vesper";

std::string read_text(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

}  // namespace

TEST_F(TkSettingsTest, ValuesRoundTripThroughTheStoreFile) {
  std::string store = path("cfg/Tolvane/Vesper.reg");
  {
    tk_reg_key key(store);
    ASSERT_EQ(key.open(tk_reg_root::current_user, key_path), 0);
    std::uint32_t number = 1234567;
    bool flag = true;
    std::u16string text = u"C:\\data \"quoted\"\n\u0436";
    EXPECT_TRUE(key.exchange(true, number, "Number"));
    EXPECT_TRUE(key.exchange(true, flag, "Flag"));
    EXPECT_TRUE(key.exchange(true, text, "Text"));
  }
  struct stat info {};
  ASSERT_EQ(::stat(store.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  tk_reg_key key(store);
  ASSERT_EQ(key.open(tk_reg_root::current_user, key_path), 0);
  std::uint32_t number = 0;
  bool flag = false;
  std::u16string text;
  EXPECT_TRUE(key.exchange(false, number, "Number"));
  EXPECT_TRUE(key.exchange(false, flag, "Flag"));
  EXPECT_TRUE(key.exchange(false, text, "Text"));
  EXPECT_EQ(number, 1234567u);
  EXPECT_TRUE(flag);
  EXPECT_EQ(text, u"C:\\data \"quoted\"\n\u0436");
}

TEST_F(TkSettingsTest, BoolIsNormalisedAndMissingValuesLeaveVariablesAlone) {
  std::string store = path("Vesper.reg");
  tk_reg_key key(store);
  ASSERT_EQ(key.open(tk_reg_root::current_user, key_path), 0);
  ASSERT_EQ(key.set_value(5u, "Flag"), 0);
  bool flag = false;
  EXPECT_TRUE(key.exchange(false, flag, "Flag"));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(key.exchange(true, flag, "Flag"));
  std::uint32_t stored = 0;
  EXPECT_EQ(key.get_value(stored, "Flag"), 0);
  EXPECT_EQ(stored, 1u);

  std::u16string text = u"unchanged";
  EXPECT_FALSE(key.exchange(false, text, "Missing"));
  EXPECT_EQ(text, u"unchanged");
  EXPECT_EQ(key.get_value(stored, "Missing"), tk_reg_key::error_file_not_found);
  // A value of the other type is not read as this one.
  EXPECT_EQ(key.get_value(nullptr, "Flag", &stored), tk_reg_key::error_invalid_data);

  tk_reg_key closed(store);
  EXPECT_FALSE(closed.exchange(false, flag, "Flag"));
  EXPECT_THROW(closed.set_value(1u, "Flag"), tk_mail_assertion);
  EXPECT_THROW(closed.open(tk_reg_root::none, key_path), tk_mail_assertion);
}

TEST_F(TkSettingsTest, WideStringBufferProtocol) {
  tk_reg_key key(path("Vesper.reg"));
  ASSERT_EQ(key.open(tk_reg_root::current_user, key_path), 0);
  ASSERT_EQ(key.set_value(u"abc", "Name"), 0);
  std::uint32_t size = 0;
  EXPECT_EQ(key.get_value(nullptr, "Name", &size), 0);
  EXPECT_EQ(size, 8u);
  char16_t small[2];
  size = sizeof small;
  EXPECT_EQ(key.get_value(small, "Name", &size), tk_reg_key::error_more_data);
  char16_t buffer[4];
  size = sizeof buffer;
  EXPECT_EQ(key.get_value(buffer, "Name", &size), 0);
  EXPECT_EQ(std::u16string(buffer), u"abc");
  EXPECT_THROW(key.get_value(buffer, "Name", nullptr), tk_mail_assertion);
}

TEST_F(TkSettingsTest, DamagedStoreReadsAsAbsentValuesAndIsRepairedOnWrite) {
  write("Vesper.reg",
        "garbage line\n[Software\\Tolvane\\Vesper]\n\"Good\"=dword:0000002a\n"
        "\"Bad\"=dword:zz\n\"Cut\"=\"no end\n\"Bytes\"=\"\xff\xfe\"\n\x01\x02\x03");
  tk_reg_key key(path("Vesper.reg"));
  ASSERT_EQ(key.open(tk_reg_root::current_user, key_path), 0);
  std::uint32_t number = 7;
  EXPECT_TRUE(key.exchange(false, number, "Good"));
  EXPECT_EQ(number, 42u);
  EXPECT_FALSE(key.exchange(false, number, "Bad"));
  std::u16string text = u"kept";
  EXPECT_FALSE(key.exchange(false, text, "Cut"));
  EXPECT_FALSE(key.exchange(false, text, "Bytes"));
  EXPECT_EQ(text, u"kept");

  EXPECT_TRUE(key.exchange(true, text, "Cut"));
  EXPECT_TRUE(key.exchange(false, number, "Good"));
  EXPECT_TRUE(key.exchange(false, text, "Cut"));
  EXPECT_EQ(text, u"kept");
}

TEST_F(TkSettingsTest, UnwritableStoreReportsFailure) {
  write("blocker", "a file where the folder should be");
  tk_reg_key key(path("blocker/Tolvane/Vesper.reg"));
  ASSERT_EQ(key.open(tk_reg_root::current_user, key_path), 0);
  std::uint32_t number = 3;
  EXPECT_TRUE(key.exchange(true, number, "Number"));  // held by the key
  EXPECT_EQ(key.flush(), tk_reg_key::error_write_fault);
  EXPECT_FALSE(key.exchange(false, number, "Number"));
  EXPECT_EQ(number, 3u);
}

// A whole set of values is one replace of the file, laid over what other
// keys flushed in between, so neither writer loses the other's values.
TEST_F(TkSettingsTest, ValuesAreHeldUntilOneReplaceThatKeepsOtherWriters) {
  std::string store = path("Vesper.reg");
  tk_reg_key mine(store), other(store);
  ASSERT_EQ(mine.open(tk_reg_root::current_user, key_path), 0);
  ASSERT_EQ(other.open(tk_reg_root::current_user, key_path), 0);
  ASSERT_EQ(other.set_value(1u, "Other"), 0);
  ASSERT_EQ(other.flush(), 0);
  const std::string before = read_text(store);
  rename_counter replaces(store);

  std::u16string text = u"held";
  std::uint32_t number = 7;
  EXPECT_TRUE(mine.exchange(true, text, "Text"));
  EXPECT_TRUE(mine.exchange(true, number, "Number"));
  EXPECT_EQ(read_text(store), before);
  std::u16string seen;
  EXPECT_TRUE(mine.exchange(false, seen, "Text"));  // the key sees what it holds
  EXPECT_EQ(seen, u"held");
  EXPECT_FALSE(other.exchange(false, seen, "Number"));  // others see it after the flush

  ASSERT_EQ(other.set_value(2u, "Other"), 0);
  ASSERT_EQ(other.flush(), 0);
  ASSERT_EQ(mine.flush(), 0);
  mine.close();  // nothing left to write: no further replace
  EXPECT_EQ(replaces.count(), 2);

  tk_reg_key reader(store);
  ASSERT_EQ(reader.open(tk_reg_root::current_user, key_path), 0);
  EXPECT_TRUE(reader.exchange(false, number, "Other"));
  EXPECT_EQ(number, 2u);
  EXPECT_TRUE(reader.exchange(false, number, "Number"));
  EXPECT_EQ(number, 7u);
  EXPECT_TRUE(reader.exchange(false, seen, "Text"));
  EXPECT_EQ(seen, u"held");
}

TEST_F(TkSettingsTest, ClosingAKeyWritesWhatItHolds) {
  std::string store = path("Vesper.reg");
  {
    tk_reg_key key(store);
    ASSERT_EQ(key.open(tk_reg_root::current_user, key_path), 0);
    ASSERT_EQ(key.set_value(u"kept", "Text"), 0);
  }
  tk_reg_key reader(store);
  ASSERT_EQ(reader.open(tk_reg_root::current_user, key_path), 0);
  std::u16string text;
  EXPECT_TRUE(reader.exchange(false, text, "Text"));
  EXPECT_EQ(text, u"kept");
}

TEST(TkRegStore, DefaultPathFollowsXdgConfigHomeThenTheHomeFolder) {
  const std::string saved_home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
  EXPECT_EQ(tk_reg_store::default_path(), "/tmp/xdg-test/Tolvane/Vesper.reg");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // ignored, as the XDG rules say
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(tk_reg_store::default_path(), "/home/someone/.config/Tolvane/Vesper.reg");
  ::unsetenv("XDG_CONFIG_HOME");

  // Without HOME the account's own home, never a shared folder.
  ::unsetenv("HOME");
  const passwd* account = ::getpwuid(::getuid());
  if (account && account->pw_dir[0] == '/')
    EXPECT_EQ(tk_reg_store::default_path(), std::string(account->pw_dir) + "/.config/Tolvane/Vesper.reg");
  else
    EXPECT_EQ(tk_reg_store::default_path(), "");
  ::setenv("HOME", saved_home.c_str(), 1);
}

TEST_F(TkSettingsTest, YamlConfigKeysItemsAndFilter) {
  write("ora.map", "NUMBER:\n  - FLOAT\n- VARCHAR2(100) \r\n\n  junk\n");
  tk_yaml_config config;
  ASSERT_TRUE(config.load(path("ora.map")));
  std::vector<std::u16string> items{u"FLOAT", u"VARCHAR2(100)"};
  EXPECT_EQ(config.data[u"NUMBER"], items);
  EXPECT_EQ(config.data.size(), 1u);

  ASSERT_TRUE(config.load(path("ora.map")));  // a second load appends again
  EXPECT_EQ(config.data[u"NUMBER"].size(), 4u);

  write("other.map", "- orphan\n-x: \n- y\nDATE :\n- TIMESTAMP\n- CHAR\n- DATE\nDATE :\n- CLOB\n");
  tk_yaml_config filtered;
  ASSERT_TRUE(filtered.load(path("other.map"), {u"CHAR"}));
  EXPECT_EQ(filtered.data[u""], std::vector<std::u16string>{u"orphan"});
  EXPECT_EQ(filtered.data[u"-x"], std::vector<std::u16string>{u"y"});  // a colon makes a key line
  std::vector<std::u16string> date{u"TIMESTAMP", u"DATE", u"CLOB"};
  EXPECT_EQ(filtered.data[u"DATE "], date);

  EXPECT_FALSE(filtered.load(path("missing.map")));
  write("bad.map", "KEY:\n- \xC3\x28\n");
  EXPECT_THROW(filtered.load(path("bad.map")), tk_exception);
}
#endif
