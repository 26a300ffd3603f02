// What real tables use beyond plain text and numbers arrives as it was:
// Visual FoxPro nulls, varying and binary fields and blobs, dBASE 7
// timestamps, blobs and auto-increment, memo files whatever the version byte
// says; damaged forms of them are warnings, encrypted tables errors.
#include <gtest/gtest.h>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

// The corpus file in the test's folder without copying it where the
// platform can: Windows (and Wine) programs may not make symbolic links.
void link_corpus_file(const std::filesystem::path& file, const std::filesystem::path& place) {
#ifdef _WIN32
  // Names differing only in case are one file there: the first copy serves.
  std::filesystem::copy_file(file, place, std::filesystem::copy_options::skip_existing);
#else
  std::filesystem::create_symlink(file, place);
#endif
}


const std::filesystem::path corpus = e2e_paths::corpus();

// NAME V(8) nullable, CODE Q(4), BIN C(3) binary, PIC W, _NullFlags:
// bits NAME varying 0, NAME null 1, CODE varying 2.
void write_fox(const std::filesystem::path& folder) {
  dbf_writer table(0x30);
  table.table_flags(0x02).field(u"ID", 'I').field(u"NAME", 'V', 8, 0, 0x02).field(u"CODE", 'Q', 4);
  table.field(u"BIN", 'C', 3, 0, 0x04).field(u"PIC", 'W').field(u"_NullFlags", '0', 1, 0, 0x05);
  table.record({dbf_cell::integer(1), dbf_cell::raw("ab  x  \x02"), dbf_cell::raw(std::string("\xca\xfe\0\x02", 4)),
                dbf_cell::raw("\xe9\x01 "), dbf_cell::memo(std::string("\x89PNG\0\x01", 6)),
                dbf_cell::raw(std::string(1, '\x05'))});
  table.record({dbf_cell::integer(2), dbf_cell::raw("whatever"), dbf_cell::raw("full"), dbf_cell::raw("abc"),
                dbf_cell::memo_block(0), dbf_cell::raw(std::string(1, '\x02'))});
  // A length byte larger than the field: its bytes are kept, with a warning.
  table.record({dbf_cell::integer(3), dbf_cell::raw("1234567\x09"), dbf_cell::raw(std::string("\0\0\0\0", 4)),
                dbf_cell::raw("   "), dbf_cell::memo_block(0), dbf_cell::raw(std::string(1, '\x01'))});
  table.write(folder, "FOX.DBF");
}

// dBASE 7 with its memo file: auto-increment, timestamps, a block B field.
void write_level7(const std::filesystem::path& folder) {
  dbf_writer table(0x8C);
  table.field(u"ID", '+').field(u"AT", '@').field(u"DATA", 'B', 10);
  table.record({dbf_cell::integer(1), dbf_cell::date_time(1900, 1, 1, 0, 0, 0), dbf_cell::memo(std::string("\0\1\2", 3))});
  table.record({dbf_cell::integer(7), dbf_cell::date_time(2020, 2, 20, 20, 20, 20), dbf_cell::null()});
  table.record({dbf_cell::integer(3), dbf_cell::raw(std::string("\x7f\xf8\0\0\0\0\0\0", 8)), dbf_cell::null()});
  table.write(folder, "LEVEL7.DBF");
}

std::string column_types(const e2e_session& session, const std::string& table) {
  return session.sql("SELECT COLUMN_NAME, DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '" + table +
                     "' ORDER BY COLUMN_ID");
}

}  // namespace

TEST(E2eFidelity, FoxProNullsVaryingBinaryFieldsAndBlobsArriveAsStored) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_fox(folder);
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("Warning:\nfox, record #3, column NAME: the length byte (9) is larger than the field "
                         "allows (7); the whole field is kept\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(column_types(session, "FOX"),
            "COLUMN_NAME\tDATA_TYPE\nID\tNUMBER\nNAME\tNVARCHAR2\nCODE\tRAW\nBIN\tRAW\nPIC\tBLOB\n");
  EXPECT_EQ(session.sql("SELECT ID, NAME, CODE, BIN, LENGTH(PIC) P FROM FOX ORDER BY ID"),
            "ID\tNAME\tCODE\tBIN\tP\n"
            "1\tab\tCAFE\tE90120\t6\n"
            "2\t\t66756C6C\t616263\t\n"
            "3\t1234567\t00000000\t202020\t\n");
  EXPECT_EQ(session.sql("SELECT COUNT(*) N FROM FOX WHERE NAME IS NULL"), "N\n1\n");
}

TEST(E2eFidelity, Level7TimestampsBlobsAndAutoIncrement) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_level7(folder);
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("Warning:\nlevel7, record #3, column AT: the timestamp 7FF8000000000000 is no valid date "
                         "and time; the value is left empty\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.sql("SELECT ID, CAST(AT AS VARCHAR2(30)) T, LENGTH(DATA) D FROM LEVEL7 ORDER BY ID"),
            "ID\tT\tD\n1\t1900-01-01 00:00:00.000\t3\n3\t\t\n7\t2020-02-20 20:20:20.000\t\n");
  // A new row without an ID is numbered after the largest converted one.
  session.sql("INSERT INTO LEVEL7 (AT) VALUES (NULL)");
  EXPECT_EQ(session.sql("SELECT MAX(ID) M FROM LEVEL7"), "M\n8\n");
}

TEST(E2eFidelity, MemoFilesBesideVersionsThatListNone) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer with_dbt(0x03);
  with_dbt.memo_format(dbf_memo_format::dbase4).field(u"ID", 'N', 3).field(u"NOTE", 'M');
  with_dbt.record({dbf_cell::integer(1), dbf_cell::text(u"found beside")}).write(folder, "MEMOA.DBF");
  dbf_writer without(0x03);
  without.field(u"ID", 'N', 3).field(u"NOTE", 'M').record({dbf_cell::integer(2), dbf_cell::null()});
  without.write(folder, "MEMOB.DBF");
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("Error:\nmemob: Memo file not found\n"), std::string::npos) << run.out;
  EXPECT_EQ(session.sql("SELECT ID, NOTE FROM MEMOA"), "ID\tNOTE\n1\tfound beside\n");
  EXPECT_EQ(session.count("MEMOB"), "1");
}

// A text memo ends at its first zero byte: a picture kept in a text memo
// loses its rest, and says so; zeros that only pad the end lose nothing.
TEST(E2eFidelity, TextMemosCutAtAZeroByteAreWarnings) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0xF5);
  table.field(u"ID", 'N', 3).field(u"NOTE", 'M');
  table.record({dbf_cell::integer(1), dbf_cell::memo(std::string("GIF89a\0\x01\x02\x03", 10))});
  table.record({dbf_cell::integer(2), dbf_cell::memo(std::string("padded\0\0\0", 9))});
  table.write(folder, "PICS.DBF");
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("pics, record #1, column NOTE: the memo text holds a zero byte at offset 6; its 3 bytes "
                         "after it (binary data in a text memo) are not carried over"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("record #2"), std::string::npos) << run.out;
  EXPECT_EQ(session.sql("SELECT ID, NOTE FROM PICS"), "ID\tNOTE\n1\tGIF89a\n2\tpadded\n");
}

TEST(E2eFidelity, EncryptedTablesFailAndIncompleteTransactionsWarn) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer secret(0x03);
  secret.field(u"ID", 'N', 3).record({dbf_cell::integer(1)}).patch(15, "\x01").write(folder, "SECRET.DBF");
  dbf_writer open(0x03);
  open.field(u"ID", 'N', 3).record({dbf_cell::integer(2)}).patch(14, "\x01").write(folder, "UNSURE.DBF");
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("Error:\nsecret: table is encrypted\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Warning:\nunsure: the table's header says a transaction was left incomplete; its "
                         "records are read as they stand\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.tables(), "UNSURE\nVESPER$JOURNAL\n");  // kept for a resume
  EXPECT_EQ(session.count("UNSURE"), "1");
}

// Tables of the shared corpus with these features, checked against values
// read from their bytes by hand.
TEST(E2eFidelity, CorpusTablesArriveWhole) {
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << corpus << " is not on this machine";
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  const std::filesystem::path& base = corpus;
  for (const char* file : {"php-xbase/vfp.dbf", "php-xbase/vfp.fpt", "php-xbase/dBaseVII.dbf",
                           "php-xbase/dBaseVII.dbt", "php-xbase/dBaseVII_ts.dbf", "JxBase/112.dbf", "JxBase/112.dbt",
                           "go-dbase/TEST.DBF", "go-dbase/TEST.FPT"})
    if (std::filesystem::exists(base / file))
      link_corpus_file(base / file, folder / std::filesystem::path(file).filename());
  const e2e_result run = session.convert(folder);
  // The IMAGE columns keep pictures in text memos: cut at their first zero
  // byte, and said so.
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(e2e_occurrences(run.out, "column IMAGE: the memo text holds a zero byte"), 6u) << run.out;
  EXPECT_EQ(session.sql("SELECT LENGTH(BLOB) B, VARCHAR, VARBINARY, AI FROM VFP ORDER BY AI"),
            "B\tVARCHAR\tVARBINARY\tAI\n7146\tqwe\tABCDEF\t1\n\tasd\t1234\t2\n\tzxc\tFACE8D\t3\n");
  EXPECT_EQ(session.sql("SELECT CAST(DATETIME AS VARCHAR2(30)) T, AUTO_INC, BLOB FROM DBASEVII ORDER BY AUTO_INC"),
            "T\tAUTO_INC\tBLOB\n1800-01-01 01:01:01.000\t0\t717765\n1970-01-01 00:00:00.000\t1\t617364\n"
            "2020-02-20 20:20:20.000\t2\t7A7863\n");
  // Days 1601-01-01, 1970-01-01, 1900-01-01 and 2000-01-01 and those after them.
  const std::string ts = session.sql("SELECT CAST(TS AS VARCHAR2(30)) T FROM DBASEVII_TS");
  for (const char* day : {"1601-01-01", "1601-01-03", "1970-01-01", "1900-01-01", "1900-01-03", "2000-01-01", "2000-01-10"})
    EXPECT_NE(ts.find(std::string("\n") + day + " 00:00:00.000\n"), std::string::npos) << day << "\n" << ts;
  EXPECT_EQ(e2e_occurrences(ts, " 00:00:00.000\n"), 15u) << ts;
  EXPECT_EQ(session.sql("SELECT MEMO FROM A112"), "MEMO\nin the memo\n");
}

// The corpus's tables with a null-flags column, with their memo files: each
// converts without warnings, and the column itself never reaches Oracle.
TEST(E2eFidelity, CorpusNullFlagsColumnsAreReadNotCopied) {
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << corpus << " is not on this machine";
  const std::vector<std::vector<std::string>> projects = {
      {"go-dbase", "TEST.DBF", "employees.dbf"},
      {"javadbf", "employees.dbf", "56-testdata.dbf", "testfile.dbf", "foxref_ref.dbf"},
      {"XSharp", "employees.dbf", "categories.dbf", "orders.dbf"},
      {"php-xbase", "vfp.dbf", "issue115.dbf"},
      {"infused-dbf", "dbase_31.dbf", "dbase_32.dbf"},
      {"go-foxpro-dbf", "somev.DBF", "dbase_03.dbf"},
      {"lionware", "31.dbf"}};
  for (const std::vector<std::string>& project : projects) {
    SCOPED_TRACE(project[0]);
    e2e_session session;
    const std::filesystem::path folder = session.folder("dbf");
    const std::filesystem::path base = corpus / project[0];
    for (std::size_t i = 1; i < project.size(); ++i) {
      link_corpus_file(base / project[i], folder / project[i]);
      const std::string stem = std::filesystem::path(project[i]).stem().string();
      for (const char* memo : {".fpt", ".FPT"})
        if (std::filesystem::exists(base / (stem + memo))) link_corpus_file(base / (stem + memo), folder / (stem + memo));
    }
    // Without their index files and database containers (not in the
    // corpus) the tables warn of those; php-xbase's vfp keeps pictures in a
    // text memo, which it cannot carry whole.
    const e2e_result run = session.convert(folder, {"--skip_idx"});
    EXPECT_LE(run.status, 1) << run.describe();
    EXPECT_EQ(e2e_occurrences(run.out, "Warning:\n"),
              e2e_occurrences(run.out, "which is not found; the table keeps the short field names") +
                  e2e_occurrences(run.out, "column IMAGE: the memo text holds a zero byte"))
        << run.out;
    EXPECT_EQ(session.sql("SELECT COUNT(*) N FROM USER_TAB_COLUMNS WHERE COLUMN_NAME LIKE '%NULLFLAGS%'"), "N\n0\n");
  }
}

// A date whose year is below 100 (a D field of "00240101", often a stand-in
// for "no date", or a timestamp in the first century) arrives in the 2000s
// or the 1900s as a two-digit year does: every such value is warned of, on
// both insert paths, and the run says so in its status.
TEST(E2eFidelity, DatesBelowTheYearOneHundredAreWarnedOf) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.field(u"ID", 'N', 2).field(u"DAY", 'D').field(u"STAMP", 'T');
  table.record({dbf_cell::integer(1), dbf_cell::raw("00240101"), dbf_cell::date_time(2024, 1, 1, 10, 0, 0)});
  table.record({dbf_cell::integer(2), dbf_cell::raw("19991231"), dbf_cell::date_time(60, 6, 30, 12, 0, 0)});
  table.record({dbf_cell::integer(3), dbf_cell::raw("00000000"), dbf_cell::null()});
  table.write(folder, "OLD.DBF");
  for (const char* path : {"--rowbyrow", "--batch=2"}) {
    SCOPED_TRACE(path);
    const e2e_result run = session.convert(folder, {path});
    EXPECT_EQ(run.status, 1) << run.describe();
    EXPECT_NE(run.out.find("Warning:\nold, record #1, column DAY: the date's year 24 is below 100; it is read as "
                           "2024-01-01\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Warning:\nold, record #2, column STAMP: the date's year 60 is below 100; it is read as "
                           "1960-06-30 12:00:00\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(e2e_occurrences(run.out, "Warning:"), 2u) << run.out;
    EXPECT_EQ(session.sql("SELECT ID, substr(DAY, 1, 10) D FROM OLD ORDER BY ID"),
              "ID\tD\n1\t2024-01-01\n2\t1999-12-31\n3\t\n");
  }
}
