#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "oci_test_session.hpp"

namespace ociemu_test {

namespace {

struct tool_result {
  int status = 0;
  std::string output;
};

tool_result tool(const std::string& arguments) {
  tool_result r;
  FILE* pipe = popen((std::string("'") + OCIEMU_TOOL + "' " + arguments + " 2>&1").c_str(), "r");
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) r.output += buffer;
  r.status = WEXITSTATUS(pclose(pipe));
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
  setenv("OCIEMU_ROUND_TRIPS", file.c_str(), 1);
  tool("sql XE scott tiger \"select 1 from dual\"");
  unsetenv("OCIEMU_ROUND_TRIPS");
  FILE* f = std::fopen(file.c_str(), "r");
  ASSERT_NE(f, nullptr);
  char line[64] = {0};
  std::fgets(line, sizeof line, f);
  std::fclose(f);
  // attach, session begin, describe, execute, two fetches, session end
  EXPECT_EQ(std::string(line), "round_trips=7\n");
}

}  // namespace ociemu_test
