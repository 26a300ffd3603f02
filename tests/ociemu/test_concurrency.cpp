// Sessions on several threads and processes at once: DDL meets another
// session's uncommitted rows on its table with ORA-00054 at once, whichever
// thread or process holds them, and waits only for its turn to write when the
// other session's rows are in another table.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "oci_test_session.hpp"

namespace ociemu_test {

namespace {

using clock = std::chrono::steady_clock;

class concurrency_test : public emu_home_fixture {};

// The error of `sql` run on `s`, and whether it came within a second.
std::pair<int, bool> timed_error(oci_session& s, const std::string& sql) {
  const auto start = clock::now();
  const int error = s.exec(sql).error;
  return {error, clock::now() - start < std::chrono::seconds(1)};
}

}  // namespace

TEST_F(concurrency_test, DdlOnATableWithAnotherThreadsUncommittedRowsFailsAtOnce) {
  oci_session setup;
  for (const char* sql : {"create table p (id number primary key)", "create table c (id number, pid number)",
                          "create table u (a number)"})
    ASSERT_EQ(setup.exec(sql).status, OCI_SUCCESS) << sql;
  oci_session holder;
  ASSERT_EQ(holder.exec("insert into p values (1)").status, OCI_SUCCESS);  // not committed
  std::pair<int, bool> alter, drop, index, parent;
  std::thread other([&] {
    oci_session s;
    alter = timed_error(s, "alter table p add (x number)");
    drop = timed_error(s, "drop table p");
    index = timed_error(s, "create index pi on p (id)");
    parent = timed_error(s, "alter table c add constraint cf foreign key (pid) references p (id)");
  });
  other.join();
  EXPECT_EQ(alter, std::make_pair(54, true));
  EXPECT_EQ(drop, std::make_pair(54, true));
  EXPECT_EQ(index, std::make_pair(54, true));
  EXPECT_EQ(parent, std::make_pair(54, true));
  // DDL on a table the holder has not touched waits for the holder's turn to
  // write to end, no more.
  std::thread committer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    holder.commit();
  });
  oci_session s;
  EXPECT_EQ(s.exec("create index ui on u (a)").status, OCI_SUCCESS);
  committer.join();
  EXPECT_EQ(s.exec("alter table p add (x number)").status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select count(*) from p"), "1");
}

TEST_F(concurrency_test, SessionsOnSeveralThreadsShareATableAndEachCommitsItsOwnRows) {
  oci_session setup;
  ASSERT_EQ(setup.exec("create table t (id number, who number)").status, OCI_SUCCESS);
  constexpr int sessions = 4, rows = 50;
  std::vector<std::thread> threads;
  std::vector<int> failures(sessions, 0);
  for (int who = 0; who < sessions; ++who)
    threads.emplace_back([&, who] {
      oci_session s;
      for (int i = 0; i < rows; ++i) {
        const std::string values = std::to_string(who * rows + i) + ", " + std::to_string(who);
        failures[who] += s.exec("insert into t values (" + values + ")").status != OCI_SUCCESS;
        if (i % 10 == 9) failures[who] += s.commit().status != OCI_SUCCESS;
      }
      s.exec("insert into t values (-1, " + std::to_string(who) + ")");
      s.rollback();  // one session's rollback takes nothing of the others'
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, std::vector<int>(sessions, 0));
  EXPECT_EQ(setup.scalar("select count(*) from t"), std::to_string(sessions * rows));
  EXPECT_EQ(setup.scalar("select count(distinct id) from t"), std::to_string(sessions * rows));
  EXPECT_EQ(setup.exec("alter table t add (x number)").status, OCI_SUCCESS);  // every lock is gone
}

TEST_F(concurrency_test, AnotherProcessesUncommittedRowsBlockDdlUntilItDies) {
#ifdef _WIN32
  GTEST_SKIP() << "no fork on Windows: sessions of several processes are checked on Linux";
#else
  oci_session s;
  ASSERT_EQ(s.exec("create table t (id number)").status, OCI_SUCCESS);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    oci_session holder;
    const bool inserted = holder.exec("insert into t values (1)").status == OCI_SUCCESS;
    const char byte = inserted ? 'y' : 'n';
    if (write(ready[1], &byte, 1) != 1) _exit(1);
    for (;;) pause();  // holds its rows until killed
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');
  EXPECT_EQ(timed_error(s, "alter table t add (x number)"), std::make_pair(54, true));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(ready[0]);
  close(ready[1]);
  // The dead process's lock and rows are gone with it.
  EXPECT_EQ(s.exec("alter table t add (x number)").status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select count(*) from t"), "0");
#endif
}

}  // namespace ociemu_test
