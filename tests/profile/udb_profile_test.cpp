#include <sys/stat.h>

#include "profile_fixture.hpp"
#include "tk_exception.hpp"
#include "udb_profile.hpp"

namespace {

int mode_of(const std::string& file) {
  struct stat info {};
  ::stat(file.c_str(), &info);
  return static_cast<int>(info.st_mode & 0777);
}

}  // namespace

TEST_F(ProfileTest, FileLayoutIsSortedWithNameOnlyTablesAndPrivateToItsUser) {
  udb_profile p;
  p.set_value(u"Selected Tables", u"t0", u"");
  p.set_value(u"Selected Tables", u"T1", u"");
  p.set_value(u"Selected Tables", u"Q", u"SELECT 1 FROM DUAL");
  p.set_value(u"Generic settings", u"logfile", u"");
  p.set_value(u"Generic settings", u"src", u"/data/\u0434\u0431\u0444");
  p.set_value(u"Generic settings", u"src", u"/second/is/ignored");
  p.add_line(u"Type Mappings", u"database:");
  p.add_line(u"Type Mappings", u"tables:");
  write_file(path("a.vpx"), "old content that must go");
#ifndef _WIN32
  ::chmod(path("a.vpx").c_str(), 0644);
#endif
  ASSERT_TRUE(p.store(path("a.vpx")));
  EXPECT_EQ(read_file(path("a.vpx")),
            "[Generic settings]\nlogfile=\nsrc=/data/\xD0\xB4\xD0\xB1\xD1\x84\n\n"
            "[Selected Tables]\nQ=SELECT 1 FROM DUAL\nT1\nt0\n\n"
            "[Type Mappings]\ndatabase:\ntables:\n");
#ifndef _WIN32  // POSIX file modes
  EXPECT_EQ(mode_of(path("a.vpx")), 0600);  // it holds the Oracle password
#endif
  EXPECT_FALSE(p.store(path("no/such/folder/a.vpx")));
}

TEST_F(ProfileTest, ReadingRules) {
  write_file(path("a.vpx"),
             "\xEF\xBB\xBF[Generic settings]\n"
             "src=first\n"
             "src=second\n"
             "  dest   =  XE\n"
             "   \n"
             "[Selected Tables]\n"
             "orders\n"
             "  customers  \n"
             "items=\n"
             "Q=SELECT a=b FROM T\n"
             "[Type Mappings]\n"
             "database:\n"
             "        default_value: a=b\n");
  udb_profile p;
  ASSERT_TRUE(p.load(path("a.vpx")));
  EXPECT_EQ(p.get_value(u"Generic settings", u"src"), u"first");
  EXPECT_EQ(p.get_value(u"Generic settings", u"dest"), u"  XE");  // spaces after "=" are kept
  const udb_profile::section& tables = p.get_section(u"Selected Tables");
  EXPECT_EQ(tables, (udb_profile::section{{u"orders", u""}, {u"customers", u""}, {u"items", u""},
                                          {u"Q", u"SELECT a=b FROM T"}}));
  EXPECT_EQ(p.get_lines(u"Selected Tables"), (std::vector<std::u16string>{u"orders", u"  customers  "}));
  // Lines holding "=" reach the readers of free-form sections as well.
  EXPECT_EQ(p.get_source_lines(u"Type Mappings"),
            (std::vector<std::u16string>{u"database:", u"        default_value: a=b"}));

  EXPECT_EQ(p.get_value(u"No such section", u"src"), u"");
  EXPECT_EQ(p.get_value(u"Generic settings", u"no such key"), u"");
  EXPECT_TRUE(p.get_lines(u"No such section").empty());
  try {
    p.get_section(u"Available Queries");
    ADD_FAILURE();
  } catch (const tk_exception& e) {
    EXPECT_EQ(e.message, "Unknown exception");
  }
}

TEST_F(ProfileTest, ContentBeforeTheFirstSectionFails) {
  udb_profile p;
  write_file(path("key.vpx"), "src=/data\n[Generic settings]\n");
  EXPECT_FALSE(p.load(path("key.vpx")));
  write_file(path("line.vpx"), "hello\n[Generic settings]\n");
  EXPECT_FALSE(p.load(path("line.vpx")));
  write_file(path("blank.vpx"), "\n  \n[Generic settings]\nsrc=x");  // and no line end at the end
  udb_profile q;
  EXPECT_TRUE(q.load(path("blank.vpx")));
  EXPECT_EQ(q.get_value(u"Generic settings", u"src"), u"x");
}

TEST_F(ProfileTest, MissingFileAndOtherUnreadablePaths) {
  udb_profile p;
  try {
    p.load(path("missing.vpx"));
    ADD_FAILURE();
  } catch (const tk_exception& e) {
    EXPECT_EQ(e.message, "Profile does not exist. Please verify the correct path/name was given.");
    EXPECT_EQ(e.level, 1);
  }
  EXPECT_FALSE(p.load(folder_.string()));  // a folder is no profile
  write_file(path("bad.vpx"), "[Generic settings]\nsrc=\xC3\x28\n");
  EXPECT_THROW(p.load(path("bad.vpx")), tk_exception);  // not UTF-8
}

// The limit is on the line's own bytes, whichever line end follows.
TEST_F(ProfileTest, OverLongLineIsARunErrorNotAnInternalOne) {
  std::string longest = "src=" + std::string(udb_profile::max_line_bytes - 4, 'x');
  write_file(path("ok.vpx"), "[Generic settings]\r\n" + longest + "\r\n");
  udb_profile p;
  ASSERT_TRUE(p.load(path("ok.vpx")));
  EXPECT_EQ(p.get_value(u"Generic settings", u"src").size(), udb_profile::max_line_bytes - 4);

  write_file(path("long.vpx"), "[Generic settings]\n" + longest + "x\n");
  try {
    udb_profile q;
    q.load(path("long.vpx"));
    ADD_FAILURE();
  } catch (const tk_exception& e) {
    EXPECT_EQ(e.message, "The profile has a line longer than 4095 bytes.");
    EXPECT_EQ(e.level, 1);
  }
  // Never written in the first place.
  udb_profile q;
  q.set_value(u"Generic settings", u"src", std::u16string(udb_profile::max_line_bytes, u'x'));
  EXPECT_THROW(q.store(path("long2.vpx")), tk_exception);
  EXPECT_FALSE(std::filesystem::exists(path("long2.vpx")));
}

// Each of these would read back as something else: a value cut at its
// line break (the rest becoming a table), a key split at its "=", a
// trailing space trimmed away, a table name turned into a section.
TEST_F(ProfileTest, SettingsTheFileCannotCarryAreRefusedBeforeWriting) {
  const std::pair<std::u16string, std::u16string> refused[] = {
      {u"Q", u"SELECT *\nFROM T"}, {u"a=b", u""}, {u"password", u"tiger "},
      {u" name", u""},             {u"[x]", u""}, {u"nul", std::u16string(u"a\0b", 3)},
  };
  write_file(path("a.vpx"), "[Generic settings]\nsrc=kept\n");
  for (const auto& [key, value] : refused) {
    udb_profile p;
    p.set_value(u"Selected Tables", key, value);
    EXPECT_THROW(p.store(path("a.vpx")), tk_exception) << std::string(key.begin(), key.end());
  }
  udb_profile p;
  p.add_line(u"Type Mappings", u"  two\nlines");
  EXPECT_THROW(p.store(path("a.vpx")), tk_exception);
  EXPECT_EQ(read_file(path("a.vpx")), "[Generic settings]\nsrc=kept\n");

  udb_profile fine;  // what does read back is written
  fine.set_value(u"Generic settings", u"password", u" lead=and=equals");
  fine.set_value(u"Selected Tables", u"t", u"");
  ASSERT_TRUE(fine.store(path("b.vpx")));
  udb_profile back;
  ASSERT_TRUE(back.load(path("b.vpx")));
  EXPECT_EQ(back.get_value(u"Generic settings", u"password"), u" lead=and=equals");
}
