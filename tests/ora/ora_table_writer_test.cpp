// The writer an Oracle table hands a run, against the emulation: what a
// resumed run relies on is that the journal names a record only once its
// outcome is in the table, on both insert paths.
#include "ora_emulation_fixture.hpp"

#ifdef VESPER_TEST_OCI_LIB

#include <utility>
#include <vector>

#include "ora_journal.hpp"
#include "tk_exception.hpp"
#include "udb_builders.hpp"
#include "udb_recordset.hpp"

namespace {

// What the sinks were told, in order.
struct sink_log {
  std::vector<std::pair<std::uint64_t, std::string>> failed;
  std::uint64_t lost = 0;
  std::uint64_t inserted = 0;

  udb_write_sinks sinks() {
    udb_write_sinks s;
    s.failed = [this](const tk_exception& e, std::uint64_t record) { failed.emplace_back(record, e.message); };
    s.lost = [this](std::uint64_t records) { lost += records; };
    s.inserted = [this](std::uint64_t rows) { inserted += rows; };
    return s;
  }
};

udb_record row(int id, const char16_t* name = u"x") {
  return udb_record_of({{u"ID", ole_variant(id)}, {u"NAME", ole_variant(std::u16string(name))}});
}

class OraTableWriterTest : public OraEmulationTest {
 protected:
  // A table T with a primary key (a repeated ID is refused) and a journal
  // that loads it, as a run keeps them.
  udb_recordset& open_table(const char16_t* columns = u"ID number(5) primary key, NAME varchar2(20)") {
    ora_database& db = connect();
    db.run(std::u16string(u"create table T (") + columns + u")");
    journal_ = std::make_unique<ora_journal>(db);
    journal_->start_run();
    udb_journal_entry entry;
    entry.source = u"/data/T.DBF";
    entry.record_count = 100;
    journal_->start_table(entry);
    db.journal = journal_.get();
    db.get_tables();
    table_ = db.get_table(u"T", udb_access::append);
    return *table_;
  }

  // Seen from another session: only what is committed.
  static std::string committed(const std::string& query) {
    std::string out;
    EXPECT_EQ(tool("sql XE scott tiger " + test_shell_quoted(query), &out), 0);
    return out;
  }
  static std::string last_record() { return committed("select LAST_RECORD from VESPER$JOURNAL"); }
  static std::string ids() { return committed("select ID from T order by ID"); }

  void TearDown() override {
    table_.reset();
    if (db_) db_->journal = nullptr;
    journal_.reset();
    OraEmulationTest::TearDown();
  }

  std::unique_ptr<ora_journal> journal_;
  std::unique_ptr<udb_recordset> table_;
};

// Row by row, each record's outcome is final on its own: inserted, refused
// by Oracle, failed in its customisation, or left out as deleted (final with
// the next commit). A resumed run starts after the journal's record and must
// neither insert nor report any of them again.
TEST_F(OraTableWriterTest, RowByRowEveryOutcomeIsFinalWithTheJournal) {
  udb_recordset& table = open_table();
  sink_log log;
  udb_write_options options;
  options.row_by_row = true;
  std::unique_ptr<udb_record_writer> writer = table.open_writer(options, log.sinks());
  writer->append(row(1), 1);
  EXPECT_TRUE(writer->at_boundary());
  EXPECT_EQ(ids(), "ID\n1\n");
  EXPECT_EQ(last_record(), "LAST_RECORD\n1\n");
  writer->skip(2);
  writer->reject(tk_exception("a customised value does not convert"), 3);
  EXPECT_EQ(last_record(), "LAST_RECORD\n3\n");
  writer->append(row(1), 4);  // the key repeats: Oracle refuses the row
  EXPECT_EQ(last_record(), "LAST_RECORD\n4\n");
  writer->skip(5);
  writer->append(row(6), 6);
  writer->finish();
  EXPECT_EQ(ids(), "ID\n1\n6\n");
  EXPECT_EQ(last_record(), "LAST_RECORD\n6\n");
  ASSERT_EQ(log.failed.size(), 2u);
  EXPECT_EQ(log.failed[0], std::make_pair(std::uint64_t(3), std::string("a customised value does not convert")));
  EXPECT_EQ(log.failed[1].first, 4u);
  EXPECT_NE(log.failed[1].second.find("ORA-00001"), std::string::npos) << log.failed[1].second;
  EXPECT_EQ(log.inserted, 2u);
  EXPECT_EQ(log.lost, 0u);
}

// In batches nothing is final before a commit, which comes every
// `commit_rows` rows with the journal's update to the last row executed; a
// row Oracle refuses fails alone and the rest of its batch stays. A stop
// between boundaries rolls back what was executed since the last commit, so
// that a later commit in the session cannot add rows the journal does not
// name (a resumed run would insert them twice).
TEST_F(OraTableWriterTest, BatchesAreFinalOnlyWhenCommittedAndAStopRollsBackTheRest) {
  udb_recordset& table = open_table();
  sink_log log;
  udb_write_options options;
  options.batch_rows = 2;
  options.commit_rows = 4;
  std::unique_ptr<udb_record_writer> writer = table.open_writer(options, log.sinks());
  writer->append(row(1), 1);
  EXPECT_FALSE(writer->at_boundary());
  writer->skip(2);
  writer->append(row(3), 3);  // the batch is full: it runs, not yet committed
  EXPECT_TRUE(writer->at_boundary());
  EXPECT_EQ(ids(), "ID\n");
  EXPECT_EQ(log.inserted, 0u);
  writer->append(row(4), 4);
  writer->append(row(5), 5);  // four rows: committed with the journal
  writer->settle();           // the batch ran beside the reading: told now
  EXPECT_EQ(ids(), "ID\n1\n3\n4\n5\n");
  EXPECT_EQ(last_record(), "LAST_RECORD\n5\n");
  EXPECT_EQ(log.inserted, 4u);

  writer->append(row(1), 6);  // refused inside its batch
  writer->reject(tk_exception("a customised value does not convert"), 7);
  writer->append(row(8), 8);
  writer->settle();
  ASSERT_EQ(log.failed.size(), 2u);
  EXPECT_EQ(log.failed[0].first, 7u);
  EXPECT_EQ(log.failed[1].first, 6u);
  EXPECT_NE(log.failed[1].second.find("ORA-00001"), std::string::npos) << log.failed[1].second;
  writer->append(row(9), 9);
  EXPECT_FALSE(writer->at_boundary());
  writer->abandon();
  engine_->commit();  // whatever the session does next
  EXPECT_EQ(ids(), "ID\n1\n3\n4\n5\n");
  EXPECT_EQ(last_record(), "LAST_RECORD\n5\n");
  EXPECT_EQ(log.inserted, 4u);

  // Finished, every row executed is committed with the journal.
  std::unique_ptr<udb_record_writer> again = table.open_writer(options, log.sinks());
  again->append(row(8), 8);
  again->append(row(9), 9);
  again->append(row(10), 10);
  again->finish();
  EXPECT_EQ(ids(), "ID\n1\n3\n4\n5\n8\n9\n10\n");
  EXPECT_EQ(last_record(), "LAST_RECORD\n10\n");
  EXPECT_EQ(log.inserted, 7u);
}

// No array bind carries a LONG value: such a table is written one record at
// a time even when the run asks for batches, each record committed with its
// journal update.
TEST_F(OraTableWriterTest, ATableWithALongColumnIsWrittenOneRecordAtATime) {
  udb_recordset& table = open_table(u"ID number(5) primary key, NAME long");
  sink_log log;
  udb_write_options options;
  options.batch_rows = 100;
  std::unique_ptr<udb_record_writer> writer = table.open_writer(options, log.sinks());
  writer->append(row(1, u"a long text"), 1);
  EXPECT_TRUE(writer->at_boundary());
  EXPECT_EQ(ids(), "ID\n1\n");
  EXPECT_EQ(last_record(), "LAST_RECORD\n1\n");
  EXPECT_EQ(log.inserted, 1u);
}

}  // namespace

#endif
