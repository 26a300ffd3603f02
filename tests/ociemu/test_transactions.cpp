#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "oci_test_session.hpp"

namespace ociemu_test {

class transaction_test : public emu_home_fixture {};

TEST_F(transaction_test, CommitRollbackAndCommitOnSuccess) {
  oci_session a;
  a.exec("create table t (id number)");
  a.exec("insert into t values (1)");
  oci_session b;
  EXPECT_EQ(b.scalar("select count(*) from t"), "0");  // not yet committed
  a.commit();
  EXPECT_EQ(b.scalar("select count(*) from t"), "1");
  a.exec("insert into t values (2)");
  a.rollback();
  EXPECT_EQ(a.scalar("select count(*) from t"), "1");
  a.exec("insert into t values (3)", OCI_COMMIT_ON_SUCCESS);
  EXPECT_EQ(b.scalar("select count(*) from t"), "2");
  a.exec("insert into t values (4)");
  a.exec("create table u (x number)");  // DDL commits the open transaction
  EXPECT_EQ(b.scalar("select count(*) from t"), "3");
}

TEST_F(transaction_test, FailedStatementsLeaveEarlierWorkPending) {
  oci_session a;
  a.exec("create table t (id number primary key)");
  a.exec("insert into t values (1)");
  EXPECT_EQ(a.exec("insert into t values (1)", OCI_COMMIT_ON_SUCCESS).error, 1);
  oci_session b;
  EXPECT_EQ(b.scalar("select count(*) from t"), "0");  // the failed commit-on-success did not commit
  EXPECT_EQ(a.scalar("select count(*) from t"), "1");
}

TEST_F(transaction_test, SessionEndCommitsAndAnAbruptExitLosesTheWork) {
  {
    oci_session a;
    a.exec("create table t (id number)");
    a.exec("insert into t values (1)");
    a.end_session();
  }
  EXPECT_EQ(oci_session().scalar("select count(*) from t"), "1");
#ifdef _WIN32
  GTEST_SKIP() << "no fork on Windows: the abrupt exit is checked on Linux";
#else
  const pid_t child = fork();
  if (child == 0) {
    oci_session a;
    a.exec("insert into t values (2)");
    _exit(0);  // the process ends without ending its session
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(oci_session().scalar("select count(*) from t"), "1");
#endif
}

TEST_F(transaction_test, PassedThroughUpdateAndDeleteCountRows) {
  oci_session a;
  a.exec("create table t (id number, name varchar2(10))");
  for (int i = 0; i < 4; ++i) a.exec("insert into t values (" + std::to_string(i) + ", 'x')");
  OCIStmt* stmt = a.prepare("update t set name = :n where id >= :lo");
  const std::u16string name = u"yy";
  int lo = 2;
  OCIBind* b1 = nullptr;
  OCIBind* b2 = nullptr;
  OCIBindByPos(stmt, &b1, a.err(), 1, const_cast<char16_t*>(name.data()), 4, SQLT_CHR, nullptr, nullptr, nullptr, 0,
               nullptr, OCI_DEFAULT);
  OCIBindByPos(stmt, &b2, a.err(), 2, &lo, sizeof lo, SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  ASSERT_EQ(OCIStmtExecute(a.svc(), stmt, a.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  ub4 rows = 0;
  OCIAttrGet(stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, a.err());
  EXPECT_EQ(rows, 2u);
  EXPECT_EQ(a.scalar("select count(*) from t where name = 'yy'"), "2");
}

}  // namespace ociemu_test
