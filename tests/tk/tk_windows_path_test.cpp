// The Windows path rules are plain text functions: they are checked on every
// platform, and the same cases run under Wine against the Windows file layer.
#include <gtest/gtest.h>

#include <string>

#include "tk_windows_path.hpp"

namespace {

constexpr const char* current = "C:\\Data\\Tables";

std::string full(const std::string& path) { return tk_windows_full_path(path, current); }

}  // namespace

TEST(TkWindowsPathTest, AbsoluteOnlyWithDriveAndSeparatorOrUnc) {
  for (const char* absolute : {"C:\\x", "c:/x", "C:\\", "\\\\server\\share\\x", "//server/share", "\\\\server\\share"})
    EXPECT_TRUE(tk_windows_is_absolute(absolute)) << absolute;
  // Rooted on the current drive, relative to a drive's own folder, or plain relative.
  for (const char* relative : {"\\x", "/work/x", "C:x", "C:", "x\\y", "", "..\\x", "\\\\"})
    EXPECT_FALSE(tk_windows_is_absolute(relative)) << relative;
}

TEST(TkWindowsPathTest, DriveLengthCoversLetterAndUncShare) {
  EXPECT_EQ(tk_windows_drive_length("C:\\x"), 2u);
  EXPECT_EQ(tk_windows_drive_length("z:"), 2u);
  EXPECT_EQ(tk_windows_drive_length("\\\\server\\share\\x\\y"), std::string("\\\\server\\share").size());
  EXPECT_EQ(tk_windows_drive_length("//server/share"), std::string("//server/share").size());
  EXPECT_EQ(tk_windows_drive_length("\\\\server"), std::string("\\\\server").size());
  EXPECT_EQ(tk_windows_drive_length("\\x"), 0u);
  EXPECT_EQ(tk_windows_drive_length("1:\\x"), 0u);  // not a drive letter
}

TEST(TkWindowsPathTest, FullPathResolvesAgainstTheRightBase) {
  EXPECT_EQ(full("orders.dbf"), "C:\\Data\\Tables\\orders.dbf");
  EXPECT_EQ(full("sub/x.dbf"), "C:\\Data\\Tables\\sub\\x.dbf");
  EXPECT_EQ(full("\\other\\x.dbf"), "C:\\other\\x.dbf");        // root of the current drive
  EXPECT_EQ(full("/work/samples/x.dbf"), "C:\\work\\samples\\x.dbf");
  EXPECT_EQ(full("D:\\x.dbf"), "D:\\x.dbf");
  EXPECT_EQ(full("d:/A/b.DBF"), "D:\\A\\b.DBF");                  // letter upper-cased, name kept
  EXPECT_EQ(full("c:x.dbf"), "C:\\Data\\Tables\\x.dbf");        // the current drive's folder
  EXPECT_EQ(full("E:x.dbf"), "E:\\x.dbf");                        // another drive: its root
  EXPECT_EQ(full("\\\\srv\\share\\dir\\x.dbf"), "\\\\srv\\share\\dir\\x.dbf");
  EXPECT_EQ(full("//srv/share/dir/x.dbf"), "\\\\srv\\share\\dir\\x.dbf");
}

TEST(TkWindowsPathTest, FullPathRemovesDotStepsAndRepeatsButNeverLeavesTheRoot) {
  EXPECT_EQ(full("a\\.\\b\\..\\c.dbf"), "C:\\Data\\Tables\\a\\c.dbf");
  EXPECT_EQ(full("a\\\\\\b.dbf"), "C:\\Data\\Tables\\a\\b.dbf");
  EXPECT_EQ(full("..\\..\\..\\..\\x.dbf"), "C:\\x.dbf");
  EXPECT_EQ(full("C:\\..\\x"), "C:\\x");
  // The share is part of the root: ".." stops there.
  EXPECT_EQ(full("\\\\srv\\share\\..\\..\\x"), "\\\\srv\\share\\x");
}

TEST(TkWindowsPathTest, FolderPathsEndInOneSeparator) {
  EXPECT_EQ(full("sub\\"), "C:\\Data\\Tables\\sub\\");
  EXPECT_EQ(full("sub//"), "C:\\Data\\Tables\\sub\\");
  EXPECT_EQ(full("sub\\."), "C:\\Data\\Tables\\sub\\");
  EXPECT_EQ(full(".."), "C:\\Data\\");
  EXPECT_EQ(full(""), "C:\\Data\\Tables\\");
  EXPECT_EQ(full("C:"), "C:\\Data\\Tables\\");
  EXPECT_EQ(full("D:"), "D:\\");
  EXPECT_EQ(full("D:\\"), "D:\\");
  EXPECT_EQ(full("\\\\srv\\share"), "\\\\srv\\share\\");
  EXPECT_EQ(tk_windows_full_path("x", "C:\\"), "C:\\x");  // a root current folder is not doubled
}

TEST(TkWindowsPathTest, SplitGivesPartsThatComposeTheFullPath) {
  for (const char* path : {"C:\\Data\\orders.dbf", "\\\\srv\\share\\a\\b.tar.gz", "C:\\", "D:\\dir.v2\\noext",
                           "C:\\dir\\"}) {
    tk_windows_path_parts parts = tk_windows_split(path);
    EXPECT_EQ(parts.drive + parts.folder + parts.name + parts.extension, path);
  }
  tk_windows_path_parts unc = tk_windows_split("\\\\srv\\share\\a\\b.tar.gz");
  EXPECT_EQ(unc.drive, "\\\\srv\\share");
  EXPECT_EQ(unc.folder, "\\a\\");
  EXPECT_EQ(unc.name, "b.tar");
  EXPECT_EQ(unc.extension, ".gz");
  tk_windows_path_parts dotted = tk_windows_split("D:\\dir.v2\\noext");
  EXPECT_EQ(dotted.drive, "D:");
  EXPECT_EQ(dotted.folder, "\\dir.v2\\");
  EXPECT_EQ(dotted.name, "noext");
  EXPECT_EQ(dotted.extension, "");
}
