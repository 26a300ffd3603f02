#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "oci_test_session.hpp"
#include "test_platform.hpp"

namespace ociemu_test {

namespace {

struct tool_result {
  int status = 0;
  std::string output;
};

tool_result tool(const std::string& arguments) {
  tool_result r;
  r.status = test_run_command(test_shell_quoted(OCIEMU_TOOL) + " " + arguments + " 2>&1", &r.output);
  return r;
}

}  // namespace

class admin_tool_test : public emu_home_fixture {};

TEST_F(admin_tool_test, CreatesServicesUsersAndAliases) {
  EXPECT_EQ(tool("create-service SALES clerk secret --no-create-sequence").status, 0);
  EXPECT_EQ(tool("create-service SALES clerk secret").status, 1);  // exists already
  EXPECT_EQ(tool("add-user SALES frozen pw --locked").status, 0);
  EXPECT_EQ(tool("add-alias SALESDB //localhost:1521/SALES").status, 0);
  oci_session clerk("salesdb", "clerk", "secret");
  ASSERT_TRUE(clerk.connected());
  EXPECT_EQ(clerk.exec("create sequence s").error, 1031);
  EXPECT_EQ(oci_session("SALESDB", "frozen", "pw").connect_result().error, 28000);
  EXPECT_EQ(tool("add-user NOWHERE x y").status, 1);
  EXPECT_EQ(tool("frobnicate").status, 2);
}

TEST_F(admin_tool_test, RunsOneStatementAndPrintsRowsWithLobs) {
  EXPECT_EQ(tool("sql XE scott tiger \"create table t (id number, c clob, b blob)\"").status, 0);
  EXPECT_EQ(tool("sql XE scott tiger \"insert into t values (1.50, 'Grüße', HEXTORAW('CAFE'))\"").output, "1 row(s)\n");
  EXPECT_EQ(tool("sql XE scott tiger \"select * from t\"").output, "ID\tC\tB\n1.5\tGrüße\tCAFE\n");
  EXPECT_EQ(tool("tables XE scott tiger").output, "T\n");
  const tool_result bad = tool("sql XE scott tiger \"select * from nope\"");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.output, "ORA-00942: table or view does not exist\n");
  EXPECT_EQ(tool("sql XE scott wrong \"select 1 from dual\"").output,
            "ORA-01017: invalid username/password; logon denied\n");
}

TEST_F(admin_tool_test, RoundTripsAreWrittenAtExit) {
  const std::string file = home_ + "/trips.txt";
  test_set_environment("OCIEMU_ROUND_TRIPS", file);
  tool("sql XE scott tiger \"select 1 from dual\"");
  test_unset_environment("OCIEMU_ROUND_TRIPS");
  FILE* f = std::fopen(file.c_str(), "r");
  ASSERT_NE(f, nullptr);
  char line[64] = {0};
  std::fgets(line, sizeof line, f);
  std::fclose(f);
  // attach, session begin, describe, execute, two fetches, session end
  EXPECT_EQ(std::string(line), "round_trips=7\n");
}

// A service made for an older COMPATIBLE setting and a single-byte character set answers as
// such a server does: 30-byte identifiers, names stored in that set.
TEST_F(admin_tool_test, ServicesCarryTheirIdentifierLimitAndCharacterSet) {
  EXPECT_EQ(tool("create-service OLD scott tiger --compatible=12.1 --charset=WE8MSWIN1252").status, 0);
  EXPECT_EQ(tool("create-service BAD scott tiger --charset=KLINGON").status, 2);
  EXPECT_EQ(tool("create-service BAD scott tiger --compatible=soon").status, 2);
  oci_session old("//localhost:1521/OLD");
  oci_session xe;
  ASSERT_TRUE(old.connected());
  ASSERT_TRUE(xe.connected());
  ub4 limit = 0;  // zeroed: the attribute is one byte wide
  ASSERT_EQ(OCIAttrGet(old.svc(), OCI_HTYPE_SVCCTX, &limit, nullptr, OCI_ATTR_MAX_IDENTIFIER_LEN, old.err()),
            OCI_SUCCESS);
  EXPECT_EQ(limit, 30u);
  ASSERT_EQ(OCIAttrGet(xe.svc(), OCI_HTYPE_SVCCTX, &limit, nullptr, OCI_ATTR_MAX_IDENTIFIER_LEN, xe.err()),
            OCI_SUCCESS);
  EXPECT_EQ(limit, 128u);
  EXPECT_EQ(old.scalar("select VALUE from NLS_DATABASE_PARAMETERS where PARAMETER = 'NLS_CHARACTERSET'"),
            "WE8MSWIN1252");
  EXPECT_EQ(xe.scalar("select VALUE from NLS_DATABASE_PARAMETERS where PARAMETER = 'NLS_CHARACTERSET'"), "AL32UTF8");

  const std::string thirty(30, 'N');
  EXPECT_EQ(old.exec("create table " + thirty + "X (a number)").error, 972);
  EXPECT_EQ(old.exec("select a" + thirty + " from dual").error, 972);
  EXPECT_EQ(old.exec("create table " + thirty + " (a number)").error, 0);
  EXPECT_EQ(xe.exec("create table " + thirty + "X (a number)").error, 0);
  // 29 letters of two bytes in AL32UTF8, of one in WE8MSWIN1252.
  std::string accents;
  for (int i = 0; i < 29; ++i) accents += "\xC3\x89";
  EXPECT_EQ(old.exec("create table \"" + accents + "\" (a number)").error, 0);
  // Letters the set lacks are stored as "?": two Cyrillic names collide.
  EXPECT_EQ(old.exec("create table people (\"\xD0\x98\xD0\x9C\xD0\xAF\" number, \"\xD0\xA4\xD0\x90\xD0\x9C\" number)").error,
            957);
  EXPECT_EQ(old.exec("create table person (\"\xD0\x98\xD0\x9C\xD0\xAF\" number)").error, 0);
  EXPECT_EQ(old.scalar("select COLUMN_NAME from USER_TAB_COLUMNS where TABLE_NAME = 'PERSON'"), "???");
}

TEST_F(admin_tool_test, ATableTakesAtMostOneThousandColumns) {
  oci_session xe;
  ASSERT_TRUE(xe.connected());
  auto columns = [](int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += (i > 1 ? ", c" : "c") + std::to_string(i) + " number";
    return text;
  };
  EXPECT_EQ(xe.exec("create table wide (" + columns(1001) + ")").error, 1792);
  EXPECT_EQ(xe.exec("create table wide (" + columns(1000) + ")").error, 0);
  EXPECT_EQ(xe.exec("alter table wide add (extra number)").error, 1792);
}

}  // namespace ociemu_test
