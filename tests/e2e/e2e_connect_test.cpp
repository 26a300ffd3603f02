// The ways the agent reaches Oracle: a connect string given as --dest=, a
// net service name with --tns, external credentials from a wallet, and what
// --version says of the client library it loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "e2e_session.hpp"

namespace {

std::vector<std::string> with_source(std::vector<std::string> args) {
  args.push_back("--src=" + e2e_paths::samples().string());
  return args;
}

}  // namespace

TEST(E2eConnect, AConnectStringInDestIsUsedAsItStands) {
  e2e_session session;
  for (const std::string dest : {"//localhost:1521/XE", "localhost/XE",
                                 "(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=localhost)(PORT=1521))"
                                 "(CONNECT_DATA=(SERVICE_NAME=XE)))"}) {
    SCOPED_TRACE(dest);
    // A host and port beside it would have made //host:port///localhost... of it.
    const e2e_result run = session.agent(with_source({"--dest=" + dest, "--oraclh=elsewhere", "--port=1999",
                                                      "--oraclu=scott", "--oraclp=tiger"}));
    EXPECT_EQ(run.status, 0) << run.describe();
  }
  EXPECT_EQ(session.count("ORDERS"), "14");
}

// Without a client library the user learns which files were tried and why
// each failed, and how to point the program at the right one.
TEST(E2eConnect, AMissingClientLibraryNamesThePathTried) {
  e2e_session session;
  const e2e_result run = session.agent(with_source({"--dest=XE", "--oraclu=scott", "--oraclp=tiger"}),
                                       {{"VESPER_OCI_LIB", "/nonexistent/libclntsh.so"}});
  EXPECT_EQ(run.status, 255) << run.describe();
  // The console shows the message on one line.
  EXPECT_NE(run.out.find("The Oracle client library (OCI) was not found or cannot be used. Tried: "
                         "/nonexistent/libclntsh.so"),
            std::string::npos)
      << run.describe();
  EXPECT_NE(run.out.find("VESPER_OCI_LIB"), std::string::npos) << run.describe();
  EXPECT_EQ(run.out.find("7.3.4"), std::string::npos) << run.describe();
  EXPECT_EQ(session.tables(), "");
}

TEST(E2eConnect, TnsTakesDestAsAnAliasAndAnEmptyUserLogsInFromTheWallet) {
  e2e_session session;
  ASSERT_EQ(session.tool({"add-alias", "SALESDB", "//localhost:1521/XE"}).status, 0);
  // Without --tns the name is a service on localhost, which does not exist.
  e2e_result run = session.agent(with_source({"--dest=SALESDB", "--oraclu=scott", "--oraclp=tiger"}));
  EXPECT_EQ(run.status, 255);
  EXPECT_NE(run.out.find("Cannot resolve Oracle service name."), std::string::npos) << run.describe();
  run = session.agent(with_source({"--tns", "--dest=SALESDB", "--oraclu=scott", "--oraclp=tiger"}));
  ASSERT_EQ(run.status, 0) << run.describe();
  // No user: external credentials, which the wallet does not hold yet.
  run = session.agent(with_source({"--tns", "--dest=SALESDB"}), {{"VESPER_ORACLE_PASSWORD", std::nullopt}});
  EXPECT_EQ(run.status, 255);
  EXPECT_NE(run.out.find("Invalid user name or password."), std::string::npos) << run.describe();
  ASSERT_EQ(session.tool({"add-credential", "SALESDB", "scott", "tiger"}).status, 0);
  run = session.agent(with_source({"--tns", "--dest=SALESDB", "--mode=0"}), {{"VESPER_ORACLE_PASSWORD", std::nullopt}});
  ASSERT_EQ(run.status, 0) << run.describe();
  // --oraclu=/ asks for the same without --tns.
  ASSERT_EQ(session.tool({"add-credential", "//localhost:1521/XE", "scott", "tiger"}).status, 0);
  run = session.agent(with_source({"--dest=XE", "--oraclu=/"}));
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.count("SUPPLIER"), "5");
}

namespace {

// The client library as the agent names it: Windows gives a loaded module's
// full path, on the current drive and with backslashes.
std::string shown_library() {
  std::string path = e2e_paths::oci_library();
#ifdef _WIN32
  if (path.rfind("/", 0) == 0) path = std::filesystem::current_path().root_name().string() + path;
  std::replace(path.begin(), path.end(), '/', '\\');
#endif
  return path;
}

}  // namespace

TEST(E2eConnect, VersionNamesTheProgramAndTheClientLibrary) {
  e2e_session session;
  e2e_result run = session.agent({"--version"});
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(run.out.rfind("vpxagent (Vesper) ", 0), 0u) << run.out;
  EXPECT_NE(run.out.find(", built "), std::string::npos);
  EXPECT_NE(run.out.find("Oracle client: " + shown_library() + ", release 19.0.0.0.0\n"),
            std::string::npos)
      << run.out;
  run = session.agent({"--version"}, {{"VESPER_OCI_LIB", "/nonexistent/libclntsh.so"}});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Oracle client: not found"), std::string::npos) << run.out;
}
