#include <gtest/gtest.h>

#include "tk_printable_name.hpp"

TEST(TkPrintableName, ShownNamesKeepEveryVisibleCharacter) {
  for (std::u16string name : {u"orders", u"C:\\data\\x1B not an escape", u"\u0421\u043A\u043B\u0430\u0434 \u00A0\u00E9",
                              u"emoji \U0001F600", u""})
    EXPECT_EQ(tk_printable_name(name), name);
}

TEST(TkPrintableName, CharactersThatActOnATerminalBecomeEscapes) {
  EXPECT_EQ(tk_printable_name(u"red\x1B[31m"), u"red\\x1B[31m");
  EXPECT_EQ(tk_printable_name(u"a\nb\rc\td"), u"a\\nb\\rc\\td");
  EXPECT_EQ(tk_printable_name(std::u16string(u"nul\0bel\a", 8)), u"nul\\x00bel\\x07");
  EXPECT_EQ(tk_printable_name(u"del\x7F" u"c1\x80\x85\x9B\x9F" u"kept\xA0"), u"del\\x7Fc1\\x80\\x85\\x9B\\x9Fkept\xA0");
  // Marks that reorder the text drawn after them, and line separators.
  EXPECT_EQ(tk_printable_name(u"x\u202Efdp.exe"), u"x\\u202Efdp.exe");
  EXPECT_EQ(tk_printable_name(u"\u061C\u200E\u200F\u2028\u2029\u202A\u2066\u2069\u206A"),
            u"\\u061C\\u200E\\u200F\\u2028\\u2029\\u202A\\u2066\\u2069\u206A");
}

TEST(TkPrintableName, Utf8FormsEscapeTheSameAndReplaceBrokenBytes) {
  EXPECT_EQ(tk_printable_name_utf8(u"t\x1B\u0416"), "t\\x1B\xD0\x96");
  EXPECT_EQ(tk_printable_name_utf8(std::string("t\x1B\xC2\x9B\xFF")), "t\\x1B\\x9B\xEF\xBF\xBD");
}
