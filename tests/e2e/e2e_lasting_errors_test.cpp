// Errors that every later record would meet too stop early: a full disk ends
// its table at once with one message and the count of records inserted.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mount.h>
#endif

#include <cerrno>
#include <cstring>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

// A small tmpfs mounted over the session's emulation home, holding what was
// there; unmounted when the case ends.
class full_disk {
 public:
  full_disk(const e2e_session& session, const char* size) : home_(session.root() / "oracle") {
#ifdef _WIN32
    (void)session;
    (void)size;
    reason_ = "Windows: no tmpfs to mount as a small disk";
#else
    const std::filesystem::path kept = session.root() / "oracle-kept";
    std::filesystem::copy(home_, kept, std::filesystem::copy_options::recursive);
    const std::string options = std::string("size=") + size;
    if (mount("tmpfs", home_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      reason_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
      return;
    }
    mounted_ = true;
    std::filesystem::copy(kept, home_, std::filesystem::copy_options::recursive);
#endif
  }
  ~full_disk() {
#ifndef _WIN32
    if (mounted_) umount2(home_.c_str(), MNT_DETACH);
#endif
  }
  full_disk(const full_disk&) = delete;
  full_disk& operator=(const full_disk&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& reason() const { return reason_; }

 private:
  std::filesystem::path home_;
  bool mounted_ = false;
  std::string reason_;
};

std::filesystem::path big_table(const e2e_session& session) {
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer big(0x03);
  big.field(u"ID", 'N', 6).field(u"TEXT", 'C', 250);
  for (int id = 1; id <= 8000; ++id) big.record({dbf_cell::integer(id), dbf_cell::text(std::u16string(250, u'a' + id % 26))});
  big.write(folder, "BIG.DBF");
  return folder;
}

TEST(E2eLastingErrors, AFullDiskEndsTheTableWithOneMessage) {
  e2e_session session;
  const std::filesystem::path folder = big_table(session);
  full_disk disk(session, "1m");
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  const e2e_result run = session.convert(folder, {"--rowbyrow"});
  EXPECT_EQ(run.status, 2) << run.describe();
  const std::string message = "Error:\nbig: ORA-01653: unable to extend table in tablespace USERS (database or disk is full); "
                              "the table stops at record #";
  EXPECT_NE(run.out.find(message), std::string::npos) << run.out;
  EXPECT_EQ(e2e_occurrences(run.out, "ORA-01653"), 1u) << run.out;
  EXPECT_EQ(run.out.find("big, record #"), std::string::npos);
  EXPECT_NE(run.out.find(" records inserted\n"), std::string::npos);
  EXPECT_NE(run.out.find("big: read "), std::string::npos);
}

// In batches the rows not yet committed are rolled back: the message and the
// summary say how many rows the table keeps, and that is what it holds.
TEST(E2eLastingErrors, AFullDiskEndsABatchLoadWithTheCommittedCount) {
  e2e_session session;
  const std::filesystem::path folder = big_table(session);
  full_disk disk(session, "1m");
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  const e2e_result run = session.convert(folder, {"--batch=500", "--commit=1000"});
  EXPECT_EQ(run.status, 2) << run.describe();
  const std::string message = "Error:\nbig: ORA-01653: unable to extend table in tablespace USERS (database or disk is full); "
                              "the table stops with ";
  const std::size_t at = run.out.find(message);
  ASSERT_NE(at, std::string::npos) << run.out;
  EXPECT_EQ(e2e_occurrences(run.out, "ORA-01653"), 1u) << run.out;
  EXPECT_EQ(run.out.find("big, record #"), std::string::npos);
  const std::string committed = run.out.substr(at + message.size(), run.out.find(' ', at + message.size()) - at - message.size());
  EXPECT_NE(run.out.find(" records committed\n"), std::string::npos);
  EXPECT_EQ(std::stoi(committed) % 1000, 0) << run.out;
  EXPECT_NE(run.out.find("big: read " ), std::string::npos);
  EXPECT_NE(run.out.find(", inserted " + committed + ", "), std::string::npos) << run.out;
  EXPECT_EQ(session.count("BIG"), committed);
}

}  // namespace

namespace {

// The counts of a summary line "name: read R, inserted I, failed F, skipped as deleted S, ...".
struct summary_counts {
  unsigned long read = 0, inserted = 0, failed = 0, skipped = 0;
};

summary_counts summary_of(const std::string& out, const std::string& table) {
  summary_counts c;
  const std::size_t at = out.rfind(table + ": read ");
  if (at == std::string::npos) return c;
  std::sscanf(out.c_str() + at + table.size(), ": read %lu, inserted %lu, failed %lu, skipped as deleted %lu", &c.read,
              &c.inserted, &c.failed, &c.skipped);
  return c;
}

// Memos so large that the byte cap, not the row count, closes each batch: the
// record that found no room is read and held back when its batch stops the
// table, and fails with it.
TEST(E2eLastingErrors, EveryRecordReadIsCountedWhenABatchStopsTheTable) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer big(0x30);
  big.table_flags(0x02).field(u"ID", 'N', 6).field(u"NOTE", 'M');
  for (int id = 1; id <= 170; ++id) big.record({dbf_cell::integer(id), dbf_cell::text(std::u16string(200000, u'a' + id % 26))});
  big.write(folder, "BIG.DBF");
  full_disk disk(session, "1m");
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_EQ(e2e_occurrences(run.out, "ORA-01653"), 1u) << run.out;
  const summary_counts counts = summary_of(run.out, "big");
  EXPECT_GT(counts.read, 0u) << run.out;
  EXPECT_EQ(counts.read, counts.inserted + counts.failed + counts.skipped) << run.out;
  EXPECT_EQ(session.count("BIG"), std::to_string(counts.inserted));
}

}  // namespace

namespace {

// The server goes away in the middle of the first table, inserting with
// `option`: the run stops at once with the summary and the count of records
// committed, which are the rows the table holds; the next table is not started.
void expect_the_run_ends_with_the_committed_count(const std::string& option, const std::string& gone_after) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer first(0x03);
  first.field(u"ID", 'N', 6);
  for (int id = 1; id <= 2000; ++id) first.record({dbf_cell::integer(id)});
  first.write(folder, "A.DBF");
  dbf_writer second(0x03);
  second.field(u"ID", 'N', 6).record({dbf_cell::integer(1)});
  second.write(folder, "B.DBF");
  std::vector<std::string> args = e2e_session::login();
  args.push_back("--src=" + folder.string());
  args.push_back(option);
  const e2e_result run = session.agent(args, {{"OCIEMU_GONE_AFTER", gone_after}});
  EXPECT_EQ(run.status, 255) << run.describe();
  EXPECT_EQ(e2e_occurrences(run.out + run.err, "ORA-03113"), 1u) << run.describe();
  const std::string said = "the connection to Oracle is lost, the run stops with ";
  const std::size_t at = (run.out + run.err).find(said);
  ASSERT_NE(at, std::string::npos) << run.describe();
  const std::string committed = (run.out + run.err).substr(at + said.size(), (run.out + run.err).find(' ', at + said.size()) - at - said.size());
  EXPECT_GT(std::stoi(committed), 0);
  EXPECT_EQ(session.count("A"), committed);
  EXPECT_NE(run.out.find("Summary:\na: read "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("(table failed)"), std::string::npos) << run.out;
  EXPECT_EQ(session.tables().find("B\n"), std::string::npos) << session.tables();
}

TEST(E2eLastingErrors, ALostConnectionEndsTheRunWithTheCommittedCount) {
  expect_the_run_ends_with_the_committed_count("--rowbyrow", "500");
}

TEST(E2eLastingErrors, ALostConnectionEndsARunOfBatchesWithTheCommittedCount) {
  expect_the_run_ends_with_the_committed_count("--batch=100", "50");
}

}  // namespace

namespace {

// The server goes away at each of the first round trips after the login
// (the schema's tables, the journal, the first table's creation and rows):
// every such run stops with the status of a run-stopping error, and with
// its summary once it began converting.
TEST(E2eLastingErrors, ALostConnectionRightAfterTheLoginStopsTheRunWithItsSummary) {
  for (int gone_after = 1; gone_after <= 12; ++gone_after) {
    SCOPED_TRACE(gone_after);
    e2e_session session;
    const std::filesystem::path folder = session.folder("dbf");
    dbf_writer table(0x03);
    table.field(u"ID", 'N', 6);
    for (int id = 1; id <= 3; ++id) table.record({dbf_cell::integer(id)});
    table.write(folder, "A.DBF");
    std::vector<std::string> args = e2e_session::login();
    args.insert(args.end(), {"--src=" + folder.string(), "--rowbyrow"});
    const e2e_result run = session.agent(args, {{"OCIEMU_GONE_AFTER", std::to_string(gone_after)}});
    EXPECT_EQ(run.status, 255) << run.describe();
    if (run.out.find("Converting database") != std::string::npos) {
      EXPECT_NE(run.out.find("Summary:\n"), std::string::npos) << run.describe();
    }
  }
}

}  // namespace
