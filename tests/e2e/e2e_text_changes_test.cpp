// Text that cannot arrive as the file holds it is never changed in silence:
// a character field cut at a zero byte, a byte the table's code page leaves
// undefined (it arrives as U+FFFD), each a warning naming table, record and
// column, on both insert paths, and the exit status says so.
#include <gtest/gtest.h>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

const std::string replacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// CUT: record 1 holds text after a zero byte, record 2 only zeros after it.
void write_cut(const std::filesystem::path& folder) {
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 3).field(u"NAME", 'C', 8);
  table.record({dbf_cell::integer(1), dbf_cell::raw(std::string("ab\0cd", 5))});
  table.record({dbf_cell::integer(2), dbf_cell::raw(std::string("ef\0\0\0\0\0\0", 8))});
  table.write(folder, "CUT.DBF");
}

// GREEK (code page 1253, which leaves 0xAA undefined): record 1's name and
// memo hold that byte, record 2 only defined letters.
void write_greek(const std::filesystem::path& folder) {
  dbf_writer table(0xF5);
  table.language_driver(0xCB).field(u"ID", 'N', 3).field(u"NAME", 'C', 6).field(u"NOTE", 'M');
  table.record({dbf_cell::integer(1), dbf_cell::raw("\xE1\xAA"), dbf_cell::memo("x\xAAy")});
  table.record({dbf_cell::integer(2), dbf_cell::raw("\xE1\xE2"), dbf_cell::memo("ok")});
  table.write(folder, "GREEK.DBF");
}

// THAI (code page 874, which leaves 0xDB undefined) in every record: the
// column tells of its first records, and how many more there were.
void write_thai(const std::filesystem::path& folder) {
  dbf_writer table(0x03);
  table.language_driver(0x7C).field(u"ID", 'N', 3).field(u"NAME", 'C', 4);
  for (int id = 1; id <= 5; ++id) table.record({dbf_cell::integer(id), dbf_cell::raw("\xA1\xDB")});
  table.write(folder, "THAI.DBF");
}

}  // namespace

TEST(E2eTextChanges, CutAndUndefinedTextIsWarnedOfWithItsPlaceOnBothPaths) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_cut(folder);
  write_greek(folder);
  write_thai(folder);
  for (const char* path : {"--rowbyrow", "--batch=2"}) {
    SCOPED_TRACE(path);
    const e2e_result run = session.convert(folder, {path});
    EXPECT_EQ(run.status, 1) << run.describe();
    EXPECT_NE(run.out.find("Warning:\ncut, record #1, column NAME: the text holds a zero byte at offset 2; the 2 "
                           "bytes after it are not carried over\n"),
              std::string::npos)
        << run.out;
    const std::string undefined_aa = "the byte 0xAA is not defined in code page 1253; it arrives as U+FFFD, the "
                                     "replacement character\n";
    EXPECT_NE(run.out.find("Warning:\ngreek, record #1, column NAME: " + undefined_aa), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Warning:\ngreek, record #1, column NOTE: " + undefined_aa), std::string::npos) << run.out;
    for (int id = 1; id <= 3; ++id)
      EXPECT_NE(run.out.find("Warning:\nthai, record #" + std::to_string(id) +
                             ", column NAME: the byte 0xDB is not defined in code page 874"),
                std::string::npos)
          << run.out;
    EXPECT_NE(run.out.find("Warning:\nthai, column NAME: 2 more values like these not shown, at records 4, 5\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("cut, record #2"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("greek, record #2"), std::string::npos) << run.out;
    EXPECT_EQ(session.sql("SELECT ID, NAME FROM CUT ORDER BY ID"), "ID\tNAME\n1\tab\n2\tef\n");
    EXPECT_EQ(session.sql("SELECT ID, NAME, NOTE FROM GREEK ORDER BY ID"),
              "ID\tNAME\tNOTE\n1\t\u03B1" + replacement + "\tx" + replacement + "y\n2\t\u03B1\u03B2\tok\n");
  }
}
