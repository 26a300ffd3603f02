#include <fstream>

#include "oci_test_session.hpp"
#include "test_platform.hpp"

namespace ociemu_test {

class connect_test : public emu_home_fixture {};

TEST_F(connect_test, EasyConnectAndAliasReachTheService) {
  EXPECT_TRUE(oci_session("//localhost:1521/XE").connected());
  EXPECT_TRUE(oci_session("localhost/xe").connected());
  std::ofstream(home_ + "/aliases") << "# net service names\nORCL = //127.0.0.1:1521/XE\nPLAIN = XE\n";
  EXPECT_TRUE(oci_session("orcl").connected());
  EXPECT_TRUE(oci_session("PLAIN").connected());
  EXPECT_TRUE(oci_session("(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=localhost)(PORT=1521))"
                          "(CONNECT_DATA=(SERVICE_NAME=XE)))")
                  .connected());
}

TEST_F(connect_test, AddressErrorsComeFromAttach) {
  EXPECT_TRUE(oci_session("//" + test_host_name() + ":1521/XE").connected());
  EXPECT_EQ(oci_session("NOSUCHALIAS").connect_result().error, 12154);
  EXPECT_EQ(oci_session("//db.example.invalid:1521/XE").connect_result().error, 12545);
  EXPECT_EQ(oci_session("//localhost:1522/XE").connect_result().error, 12541);
  EXPECT_EQ(oci_session("//localhost:1521/NOPE").connect_result().error, 12514);
  const oci_result r = oci_session("NOSUCHALIAS").connect_result();
  EXPECT_EQ(r.message, "ORA-12154: TNS:could not resolve the connect identifier specified");
}

TEST_F(connect_test, ListenerPortComesFromTheHomeFolder) {
  std::ofstream(home_ + "/listener") << "port=1600\n";
  EXPECT_TRUE(oci_session("//localhost:1600/XE").connected());
  EXPECT_EQ(oci_session("//localhost:1521/XE").connect_result().error, 12541);
}

TEST_F(connect_test, LogonChecksThePairAndTheLock) {
  EXPECT_TRUE(oci_session("//localhost/XE", "Scott", "tiger").connected());  // names ignore case
  const oci_result wrong = oci_session("//localhost/XE", "scott", "TIGER").connect_result();
  EXPECT_EQ(wrong.error, 1017);
  EXPECT_EQ(wrong.message, "ORA-01017: invalid username/password; logon denied");
  EXPECT_EQ(oci_session("//localhost/XE", "nobody", "x").connect_result().error, 1017);
  add_user("LOCKED", "pw", true);
  EXPECT_EQ(oci_session("//localhost/XE", "locked", "pw").connect_result().error, 28000);
}

TEST_F(connect_test, InvalidHandlesAreRefused) {
  oci_session s;
  int not_a_handle = 0;
  EXPECT_EQ(OCIStmtExecute(nullptr, nullptr, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_INVALID_HANDLE);
  EXPECT_EQ(OCIHandleFree(&not_a_handle, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);
  // An error handle passed where a statement is expected.
  EXPECT_EQ(OCIStmtPrepare(reinterpret_cast<OCIStmt*>(s.err()), s.err(), nullptr, 0, OCI_NTV_SYNTAX, OCI_DEFAULT),
            OCI_INVALID_HANDLE);
  void* stmt = nullptr;
  EXPECT_EQ(OCIHandleAlloc(nullptr, &stmt, OCI_HTYPE_STMT, 0, nullptr), OCI_INVALID_HANDLE);
}

TEST_F(connect_test, ErrorGetFillsUtf16TextAndEndsAfterTheLastRecord) {
  oci_session s;
  ASSERT_EQ(s.exec("SELECT * FROM missing_table").error, 942);
  char16_t buffer[64];
  sb4 code = 0;
  ASSERT_EQ(OCIErrorGet(s.err(), 1, nullptr, &code, reinterpret_cast<OraText*>(buffer), sizeof buffer,
                        OCI_HTYPE_ERROR),
            OCI_SUCCESS);
  EXPECT_EQ(code, 942);
  EXPECT_EQ(std::u16string(buffer), u"ORA-00942: table or view does not exist\n");
  EXPECT_EQ(OCIErrorGet(s.err(), 2, nullptr, &code, reinterpret_cast<OraText*>(buffer), sizeof buffer,
                        OCI_HTYPE_ERROR),
            OCI_NO_DATA);
  // A buffer too small for the text is OCI_ERROR, the number not given either.
  char16_t small[8];
  code = 0;
  EXPECT_EQ(OCIErrorGet(s.err(), 1, nullptr, &code, reinterpret_cast<OraText*>(small), sizeof small, OCI_HTYPE_ERROR),
            OCI_ERROR);
  EXPECT_EQ(code, 0);
}

TEST_F(connect_test, ServerVersionAndVersionViewShowA19cBanner) {
  oci_session s;
  char16_t buffer[128] = {0};
  ASSERT_EQ(OCIServerVersion(s.svc(), s.err(), reinterpret_cast<OraText*>(buffer), sizeof buffer, OCI_HTYPE_SVCCTX),
            OCI_SUCCESS);
  const std::string banner = "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production";
  EXPECT_EQ(n(buffer), banner);
  EXPECT_EQ(s.scalar("select * from v$version"), banner);
  EXPECT_EQ(s.rows("select BANNER from V$VERSION").size(), 1u);
}

}  // namespace ociemu_test
