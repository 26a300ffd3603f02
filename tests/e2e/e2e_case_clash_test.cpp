// Table files whose names differ only in case (DUP.DBF, Dup.Dbf, dup.dbf):
// each is converted, the later ones under names of their own, announced,
// and the same on every run.
#include <gtest/gtest.h>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"
#include "tk_format.hpp"

namespace {

TEST(E2eCaseClash, EveryFileOfAClashingNameIsConvertedUnderAStableName) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: a folder cannot hold names that differ only in case";
#endif
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  // Written out of name order: the names follow the files' exact names.
  for (const char* file : {"dup.dbf", "DUP.DBF", "Dup.Dbf"}) {
    dbf_writer table(0x03);
    table.field(u"FILE", 'C', 10).record({dbf_cell::text(tk_utf8_to_utf16_lenient(file))}).write(folder, file);
  }
  for (int run_number = 1; run_number <= 2; ++run_number) {
    SCOPED_TRACE(run_number);
    const e2e_result run = session.convert(folder);
    EXPECT_EQ(run.status, 0) << run.describe();
    EXPECT_NE(run.out.find("table dup: file Dup.Dbf converted as DUP_1\nConverting table dup_1(1 records)\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("table dup: file dup.dbf converted as DUP_2\nConverting table dup_2(1 records)\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(session.tables(), "DUP\nDUP_1\nDUP_2\n");
    EXPECT_EQ(session.sql("SELECT FILE FROM DUP"), "FILE\nDUP.DBF\n");
    EXPECT_EQ(session.sql("SELECT FILE FROM DUP_1"), "FILE\nDup.Dbf\n");
    EXPECT_EQ(session.sql("SELECT FILE FROM DUP_2"), "FILE\ndup.dbf\n");
  }
}

}  // namespace
