#include <cstring>

#include "oci_test_session.hpp"
#include "test_platform.hpp"

namespace ociemu_test {

class external_types_test : public emu_home_fixture {
 protected:
  void SetUp() override {
    emu_home_fixture::SetUp();
    s_ = std::make_unique<oci_session>();
    s_->exec("create table t (r raw(4), d date, c char(4), x binary_double, n number(10,3))");
    s_->exec("insert into t values ('0A0B0C', to_date('1999-12-31 23:59:59', 'YYYY-MM-DD HH24:MI:SS'), 'ab', "
             "2.5, 1234.5)");
  }
  OCIStmt* select_with(ub4 position, void* buffer, sb4 size, ub2 type, ub2* length = nullptr) {
    OCIStmt* stmt = s_->prepare("select r, d, c, x, n from t");
    OCIDefine* d = nullptr;
    OCIDefineByPos(stmt, &d, s_->err(), position, buffer, size, type, nullptr, length, nullptr, OCI_DEFAULT);
    EXPECT_EQ(OCIStmtExecute(s_->svc(), stmt, s_->err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
    return stmt;
  }
  std::unique_ptr<oci_session> s_;
};

TEST_F(external_types_test, RawIntoBinaryAndDatesIntoSevenBytes) {
  unsigned char raw[8] = {0};
  ub2 length = 0;
  select_with(1, raw, sizeof raw, SQLT_BIN, &length);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(raw[0], 0x0A);
  EXPECT_EQ(raw[2], 0x0C);
  unsigned char date[7] = {0};
  select_with(2, date, sizeof date, SQLT_DAT);
  EXPECT_EQ((std::vector<int>(date, date + 7)), (std::vector<int>{119, 199, 12, 31, 24, 60, 60}));
  OCIDate od{};
  select_with(2, &od, sizeof od, SQLT_ODT);
  EXPECT_EQ(od.OCIDateYYYY, 1999);
  EXPECT_EQ(od.OCIDateTime.OCITimeSS, 59);
}

TEST_F(external_types_test, CharIsPaddedAndNumbersConvert) {
  char16_t c[6] = {0};
  ub2 length = 0;
  select_with(3, c, sizeof c, SQLT_AFC, &length);
  EXPECT_EQ(std::u16string(c, length / 2), u"ab    ");  // the column's blanks and the buffer's
  double x = 0;
  select_with(4, &x, sizeof x, SQLT_FLT);
  EXPECT_EQ(x, 2.5);
  float f = 0;
  select_with(5, &f, sizeof f, SQLT_FLT);
  EXPECT_FLOAT_EQ(f, 1234.5f);
  long long big = 0;
  select_with(5, &big, sizeof big, SQLT_INT);
  EXPECT_EQ(big, 1235);  // rounded to an integer
  short tiny = 0;
  OCIStmt* stmt = s_->prepare("select 100000 from dual");
  OCIDefine* d = nullptr;
  OCIDefineByPos(stmt, &d, s_->err(), 1, &tiny, sizeof tiny, SQLT_INT, nullptr, nullptr, nullptr, OCI_DEFAULT);
  EXPECT_EQ(s_->check(OCIStmtExecute(s_->svc(), stmt, s_->err(), 1, 0, nullptr, nullptr, OCI_DEFAULT)).error, 1455);
}

TEST_F(external_types_test, BindsOfEachKindStoreTheirValues) {
  s_->exec("create table b (r raw(4), d date, ts timestamp(3), n number)");
  OCIStmt* stmt = s_->prepare("insert into b values (:1, :2, :3, :4)");
  const unsigned char raw[] = {1, 2, 3};
  const unsigned char date[7] = {120, 124, 2, 29, 13, 1, 1};  // 2024-02-29 12:00:00
  OCIDateTime* ts = nullptr;
  OCIDescriptorAlloc(s_->env(), reinterpret_cast<void**>(&ts), OCI_DTYPE_TIMESTAMP, 0, nullptr);
  ASSERT_EQ(OCIDateTimeConstruct(s_->env(), s_->err(), ts, 2001, 2, 3, 4, 5, 6, 123456789, nullptr, 0), OCI_SUCCESS);
  EXPECT_EQ(OCIDateTimeConstruct(s_->env(), s_->err(), ts, 2001, 2, 30, 4, 5, 6, 0, nullptr, 0), OCI_ERROR);
  unsigned int count = 4000000000u;
  OCIBind* b = nullptr;
  OCIBindByPos(stmt, &b, s_->err(), 1, const_cast<unsigned char*>(raw), sizeof raw, SQLT_BIN, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  OCIBindByPos(stmt, &b, s_->err(), 2, const_cast<unsigned char*>(date), 7, SQLT_DAT, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  OCIBindByPos(stmt, &b, s_->err(), 3, &ts, sizeof ts, SQLT_TIMESTAMP, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  OCIBindByPos(stmt, &b, s_->err(), 4, &count, sizeof count, SQLT_UIN, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  ASSERT_EQ(s_->check(OCIStmtExecute(s_->svc(), stmt, s_->err(), 1, 0, nullptr, nullptr, OCI_DEFAULT)).message, "");
  EXPECT_EQ(s_->rows("select r, d, n from b"), (std::vector<std::vector<std::string>>{{"010203", "29-FEB-24", "4000000000"}}));
  // A statement executes again with other values in the same buffers.
  count = 7;
  ASSERT_EQ(OCIStmtExecute(s_->svc(), stmt, s_->err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(s_->scalar("select count(*) from b where n = 7"), "1");
  // A freed descriptor is no timestamp any more.
  OCIDescriptorFree(ts, OCI_DTYPE_TIMESTAMP);
  EXPECT_EQ(OCIStmtExecute(s_->svc(), stmt, s_->err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
}

TEST_F(external_types_test, MissingBindsAndUnknownTypes) {
  EXPECT_EQ(s_->exec("insert into t (n) values (:missing)").message, "ORA-01008: not all variables bound");
  OCIStmt* stmt = s_->prepare("insert into t (n) values (:1)");
  char rowid[22] = {0};
  OCIBind* b = nullptr;
  // SQLT_RID, the old binary ROWID, is not supported.
  OCIBindByPos(stmt, &b, s_->err(), 1, rowid, sizeof rowid, SQLT_RID, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  EXPECT_EQ(s_->check(OCIStmtExecute(s_->svc(), stmt, s_->err(), 1, 0, nullptr, nullptr, OCI_DEFAULT)).error, 3115);
}

TEST(utf8_environment_test, TextAttributesAndBuffersAreUtf8) {
  // Environments created with another character set read and write UTF-8.
  OCIEnv* env = nullptr;
  ASSERT_EQ(OCIEnvNlsCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 873, 873), OCI_SUCCESS);
  OCIError* err = nullptr;
  OCIHandleAlloc(env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
  OCIServer* server = nullptr;
  OCIHandleAlloc(env, reinterpret_cast<void**>(&server), OCI_HTYPE_SERVER, 0, nullptr);
  test_set_environment("OCIEMU_HOME", "/nonexistent-ociemu-home");
  const char alias[] = "nowhere";
  EXPECT_EQ(OCIServerAttach(server, err, reinterpret_cast<const OraText*>(alias), sizeof alias - 1, OCI_DEFAULT), OCI_ERROR);
  char text[128] = {0};
  sb4 code = 0;
  OCIErrorGet(err, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text, OCI_HTYPE_ERROR);
  EXPECT_EQ(code, 12154);
  EXPECT_EQ(std::string(text).substr(0, 10), "ORA-12154:");
  EXPECT_EQ(OCIHandleFree(env, OCI_HTYPE_ENV), OCI_SUCCESS);  // frees its children too
  EXPECT_EQ(OCIHandleFree(err, OCI_HTYPE_ERROR), OCI_INVALID_HANDLE);
}

}  // namespace ociemu_test
