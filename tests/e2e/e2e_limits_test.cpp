// Oracle's own limits met before the server sees a name or a table: the
// column name it keeps for row addresses, the number of columns in a table,
// the identifier limit in bytes of the database character set, and the
// characters that set can hold.
#include <gtest/gtest.h>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

constexpr std::uint8_t windows_1252 = 0x03;
constexpr std::uint8_t windows_1251 = 0xC9;

// A service W beside XE, made with the admin tool's options.
void create_service(const e2e_session& session, const std::vector<std::string>& options) {
  std::vector<std::string> args = {"create-service", "W", "scott", "tiger"};
  args.insert(args.end(), options.begin(), options.end());
  const e2e_result made = session.tool(args);
  ASSERT_EQ(made.status, 0) << made.describe();
}

e2e_result convert_into_w(const e2e_session& session, const std::filesystem::path& folder) {
  return session.agent({"--dest=W", "--oraclu=scott", "--oraclp=tiger", "--src=" + folder.string()});
}

std::string sql_on_w(const e2e_session& session, const std::string& statement) {
  const e2e_result run = session.tool({"sql", "W", "scott", "tiger", statement});
  EXPECT_EQ(run.status, 0) << run.describe();
  return run.out;
}

std::u16string ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string narrow_name(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {  // two-byte characters only in these tests
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string column_names(const std::string& rows) { return rows.substr(rows.find('\n') + 1); }

}  // namespace

TEST(E2eLimits, AColumnNamedRowidIsRenamedAndEveryRecordArrives) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 4).field(u"rowid", 'C', 8);
  for (int i = 1; i <= 3; ++i) table.record({dbf_cell::integer(i), dbf_cell::text(u"r" + std::u16string(1, u'0' + i))});
  table.write(folder, "PARTS.DBF");
  const e2e_result run = session.convert(folder);
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.sql("SELECT ID, ROWID00000 FROM PARTS ORDER BY ID"), "ID\tROWID00000\n1\tr1\n2\tr2\n3\tr3\n");
}

TEST(E2eLimits, ATableWithMoreColumnsThanOracleTakesFailsAloneBeforeAnySql) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer wide(0x03);
  std::vector<dbf_cell> cells;
  for (int i = 1; i <= 1100; ++i) {
    wide.field(ascii("F" + std::to_string(i)), 'C', 1);
    cells.push_back(dbf_cell::text(u"x"));
  }
  wide.record(cells);
  wide.write(folder, "WIDE.DBF");
  dbf_writer narrow(0x03);
  narrow.field(u"NAME", 'C', 5).record({dbf_cell::text(u"kept")});
  narrow.write(folder, "NARROW.DBF");
  // The table already there stays: the check comes before it is dropped.
  session.sql("CREATE TABLE WIDE (F1 NUMBER)");
  session.sql("INSERT INTO WIDE VALUES (7)");

  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("Error:\nwide: The table has 1100 columns, and Oracle allows at most 1000 in a table. "
                         "Leave columns out with a customisation of the table, or split the DBF file.\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.sql("SELECT F1 FROM WIDE"), "F1\n7\n");
  EXPECT_EQ(session.sql("SELECT NAME FROM NARROW"), "NAME\nkept\n");
}

TEST(E2eLimits, LongMultiByteNamesFitAThirtyByteService) {
  e2e_session session;
  create_service(session, {"--compatible=12.1"});
  const std::filesystem::path folder = session.folder("dbf");
  // 29 characters and 58 bytes in AL32UTF8; dBASE 7 field names hold 31.
  const std::u16string accents(29, u'\u00C9');
  dbf_writer table(0x04);
  table.language_driver(windows_1252).field(accents, 'C', 4).field(accents.substr(0, 20) + u"X", 'C', 4);
  table.record({dbf_cell::text(u"a"), dbf_cell::text(u"b")});
  table.write(folder, narrow_name(accents) + ".DBF");

  const e2e_result run = convert_into_w(session, folder);
  ASSERT_EQ(run.status, 0) << run.describe();
  // Cut to 28 bytes, one under the limit: 14 characters of 2 bytes.
  const std::string cut = narrow_name(accents.substr(0, 14));
  EXPECT_EQ(sql_on_w(session, "SELECT TABLE_NAME FROM USER_TABLES"), "TABLE_NAME\n" + cut + "\n");
  EXPECT_EQ(column_names(sql_on_w(session, "SELECT COLUMN_NAME FROM USER_TAB_COLUMNS ORDER BY COLUMN_ID")),
            cut + "\n" + narrow_name(accents.substr(0, 12)) + "00000\n");
  EXPECT_EQ(sql_on_w(session, "SELECT COUNT(*) FROM \"" + cut + "\""), "COUNT(*)\n1\n");
}

TEST(E2eLimits, NamesTheDatabaseCharacterSetLacksArriveAsDistinctSafeNames) {
  e2e_session session;
  create_service(session, {"--charset=WE8MSWIN1252"});
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.language_driver(windows_1251).field(u"\u0418\u041C\u042F", 'C', 6).field(u"\u0424\u0410\u041C", 'C', 8);
  table.field(u"NOTE", 'C', 6);
  table.record({dbf_cell::text(u"Anna"), dbf_cell::text(u"Ivanova"), dbf_cell::text(u"x")});
  table.record({dbf_cell::text(u"Boris"), dbf_cell::text(u"Petrov"), dbf_cell::text(u"y")});
  table.write(folder, "PEOPLE.DBF");

  const e2e_result run = convert_into_w(session, folder);
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(column_names(sql_on_w(session, "SELECT COLUMN_NAME FROM USER_TAB_COLUMNS ORDER BY COLUMN_ID")),
            "A___\nA___00000\nNOTE\n");
  EXPECT_EQ(sql_on_w(session, "SELECT A___, A___00000 FROM PEOPLE ORDER BY A___"),
            "A___\tA___00000\nAnna\tIvanova\nBoris\tPetrov\n");
}
