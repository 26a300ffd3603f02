// Two Oracle sessions in one process, each on its own thread with its own
// engine: each creates and loads a table, in batches and by a LOB's
// locator, and every row of both arrives. A session's handles belong to
// it alone; only the client library is shared.
#include "ora_emulation_fixture.hpp"

#ifdef VESPER_TEST_OCI_LIB

#include <condition_variable>
#include <mutex>
#include <thread>

#include "ora_bulk_insert.hpp"
#include "ora_table.hpp"
#include "tk_format.hpp"
#include "udb_builders.hpp"

namespace {

constexpr int rows_per_session = 600;
constexpr std::size_t batch_rows = 64;

udb_record row(int id) {
  return udb_record_of({{u"ID", ole_variant(id)},
                        {u"NAME", ole_variant(tk_wformat(u"\u0416\u00E9 %d", id))},
                        {u"NOTE", ole_variant(std::u16string(static_cast<std::size_t>(id % 7) * 300 + 1, u'n'))}});
}

// What the emulation's tool prints for the rows from `first` on.
std::string expected_rows(int first) {
  std::string text = "ID\tNAME\tLENGTH(NOTE)\n";
  for (int id = first; id < first + rows_per_session; ++id)
    text += tk_format("%d\t\u0416\u00E9 %d\t%d\n", id, id, (id % 7) * 300 + 1);
  return text;
}

// Where the sessions wait for each other. Not std::latch: its wait is an
// atomic wait, which the MinGW build's library can leave asleep after the
// last arrival (the test then hung under Wine with no CPU used).
class start_gate {
 public:
  explicit start_gate(int parties) : waiting_(parties) {}
  void arrive_and_wait() {
    std::unique_lock lock(mutex_);
    if (--waiting_ <= 0) {
      opened_.notify_all();
      return;
    }
    opened_.wait(lock, [this] { return waiting_ <= 0; });
  }
  // A party that will never arrive (its session failed first).
  void count_down() {
    std::lock_guard lock(mutex_);
    if (--waiting_ <= 0) opened_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  int waiting_;
};

class TwoSessionsTest : public OraEmulationTest {
 protected:
  // One session's whole life on the calling thread: it connects and creates
  // its table, waits until the other session has done the same, then loads
  // the rows from `first` on, all but the last in committed batches and the
  // last alone by its LOB's locator.
  static void load_in_own_session(const std::u16string& table, int first, start_gate& both_ready,
                                  std::string& error) {
    bool ready = false;
    try {
      ora_engine engine;
      std::unique_ptr<ora_database> db = engine.open_db(u"localhost", u"scott", u"tiger", u"", u"XE");
      const udb_schema schema =
          udb_schema_of({t_ftd(9, u"ID", VT_I4, true), t_ftd(40, u"NAME", VT_BSTR), t_ftd(0, u"NOTE", VT_BSTR)});
      std::unique_ptr<udb_recordset> created = db->create_table(table, schema, udb_indexes());
      auto& target = static_cast<ora_table&>(*created);
      both_ready.arrive_and_wait();
      ready = true;
      ora_bulk_insert bulk(target, batch_rows);
      const int last = first + rows_per_session - 1;
      for (int id = first; id < last; ++id) {
        if (!bulk.add(row(id), static_cast<std::uint64_t>(id))) throw tk_exception("a batch refused a row");
        if (bulk.full() && !bulk.execute(true).empty()) throw tk_exception("a batch refused rows");
      }
      if (!bulk.execute(true).empty()) throw tk_exception("the last batch refused rows");
      target.append_record(row(last));
    } catch (const tk_exception& e) {
      error = e.message;
    }
    if (!ready) both_ready.count_down();
  }
};

TEST_F(TwoSessionsTest, LoadATableEachOnTheirOwnThreadsAndEveryRowArrives) {
  start_gate both_ready(2);
  std::string first_error, second_error;
  std::thread first([&] { load_in_own_session(u"FIRST", 1, both_ready, first_error); });
  std::thread second([&] { load_in_own_session(u"SECOND", 10001, both_ready, second_error); });
  first.join();
  second.join();
  EXPECT_EQ(first_error, "");
  EXPECT_EQ(second_error, "");
  std::string rows;
  ASSERT_EQ(tool("sql XE scott tiger \"select ID, NAME, length(NOTE) from FIRST order by ID\"", &rows), 0);
  EXPECT_EQ(rows, expected_rows(1));
  ASSERT_EQ(tool("sql XE scott tiger \"select ID, NAME, length(NOTE) from SECOND order by ID\"", &rows), 0);
  EXPECT_EQ(rows, expected_rows(10001));
}

}  // namespace

#endif
