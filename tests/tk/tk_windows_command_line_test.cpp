// The Windows command-line split, as the agent uses it to find a password in
// its own command line: checked on every platform, and against the system's
// own split when built for Windows.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include <string>
#include <vector>

#include "tk_windows_command_line.hpp"

namespace {

// The arguments as the places give them.
std::vector<std::u16string> split(const std::u16string& line) {
  std::vector<std::u16string> arguments;
  for (const auto& places : tk_windows_argument_places(line)) {
    std::u16string text;
    for (std::size_t at : places) text += line.at(at);
    arguments.push_back(text);
  }
  return arguments;
}

using args = std::vector<std::u16string>;

}  // namespace

TEST(TkWindowsCommandLineTest, BlanksQuotesAndBackslashesAsWindowsProgramsTakeThem) {
  EXPECT_EQ(split(u"vpxagent.exe  a\tb "), (args{u"vpxagent.exe", u"a", u"b"}));
  // The program's name keeps its backslashes and ends at its closing quote.
  EXPECT_EQ(split(u"\"C:\\Program Files\\v.exe\"x --oraclp=\"ti ger\" \"\""),
            (args{u"C:\\Program Files\\v.exe", u"x", u"--oraclp=ti ger", u""}));
  // 2n backslashes before a quote: n of them, and the quote delimits; 2n+1:
  // n and a literal quote; before anything else they stand for themselves.
  EXPECT_EQ(split(u"v a\\\\b \"c\\\\\" d\\\"e f\\\\\\\"g h\\"),
            (args{u"v", u"a\\\\b", u"c\\", u"d\"e", u"f\\\"g", u"h\\"}));
  EXPECT_EQ(split(u"v \"a\"\"b\" c"), (args{u"v", u"a\"b", u"c"}));
  EXPECT_EQ(split(u""), (args{u""}));
}

// What the agent does with its password: the other arguments stay as they
// were, and the quotes around the value too.
TEST(TkWindowsCommandLineTest, OverwritingAnArgumentsCharactersKeepsTheSplit) {
  std::u16string line = u"v.exe --src=\"C:\\my data\\\\\" --oraclp=\"t\\\"i ger\\\\\" --dest=XE";
  for (std::size_t at : tk_windows_argument_mask(line, 2, 9)) line[at] = u'*';
  EXPECT_EQ(split(line), (args{u"v.exe", u"--src=C:\\my data\\", u"--oraclp=**********", u"--dest=XE"}));
  EXPECT_EQ(line.find(u"ger"), std::u16string::npos);
  // A doubled quote inside quotes goes whole.
  std::u16string doubled = u"v \"--oraclp=a\"\"b c\" d";
  for (std::size_t at : tk_windows_argument_mask(doubled, 1, 9)) doubled[at] = u'*';
  EXPECT_EQ(split(doubled), (args{u"v", u"--oraclp=******", u"d"}));
  EXPECT_TRUE(tk_windows_argument_mask(doubled, 3, 0).empty());
}

#ifdef _WIN32
TEST(TkWindowsCommandLineTest, SplitsAsTheSystemDoes) {
  for (const wchar_t* line : {L"v.exe  a\tb ", L"\"C:\\Program Files\\v.exe\" --oraclp=\"ti ger\" \"\" x",
                              L"v a\\\\b \"c\\\\\" d\\\"e f\\\\\\\"g h\\", L"v --src=\"C:\\my data\\\\\" --dest=XE"}) {
    int count = 0;
    wchar_t** system = ::CommandLineToArgvW(line, &count);
    ASSERT_NE(system, nullptr);
    const std::u16string text(reinterpret_cast<const char16_t*>(line));
    const args ours = split(text);
    ASSERT_EQ(ours.size(), static_cast<std::size_t>(count)) << text.size();
    for (int i = 0; i < count; ++i)
      EXPECT_EQ(ours[static_cast<std::size_t>(i)], std::u16string(reinterpret_cast<const char16_t*>(system[i])));
    ::LocalFree(system);
  }
}
#endif
