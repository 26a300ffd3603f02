// Every handle and descriptor of the Oracle target has one owner that frees
// it: when the engine, a query or a LOB insert fails part-way, what was made
// is freed, and owners that outlive the engine free themselves without it.
#include "ora_emulation_fixture.hpp"

#ifdef VESPER_TEST_OCI_LIB

#include "ora_counting_calls.hpp"
#include "ora_lob_insert.hpp"
#include "ora_oci_library.hpp"
#include "ora_query_results.hpp"
#include "ora_stmt.hpp"
#include "udb_builders.hpp"

namespace {

class OraOwnershipTest : public OraEmulationTest {
 protected:
  void SetUp() override {
    OraEmulationTest::SetUp();
    engine_.reset();  // the fixture's engine: this one watches its calls
    calls_ = ora_counting_calls::over(ora_oci_library::calls());
  }

  void TearDown() override {
    OraEmulationTest::TearDown();
    EXPECT_EQ(ora_counting_calls::live.size(), 0u);
    EXPECT_EQ(ora_counting_calls::bad_frees, 0);
    EXPECT_FALSE(ora_counting_calls::environment_freed_early);
  }

  void start_connected() {
    engine_ = std::make_unique<ora_engine>(calls_);
    connect().run(u"CREATE TABLE \"T\" (\"C\" CLOB, \"B\" BLOB, \"D\" DATE, \"N\" NUMBER)");
  }

  // Runs `make` with each allocation failing in turn until it succeeds;
  // after each failure only the handles live before it may be left.
  template <typename Make>
  int fail_each_allocation(Make make) {
    const std::set<void*> before = ora_counting_calls::live;
    for (int n = 1;; ++n) {
      ora_counting_calls::attempts = 0;
      ora_counting_calls::fail_at = n;
      try {
        make();
      } catch (const tk_exception& e) {
        EXPECT_EQ(ora_counting_calls::live, before) << "allocation " << n << ": " << e.message;
        continue;
      }
      ora_counting_calls::fail_at = 0;
      return n - 1;
    }
  }

  ora_oci_calls calls_{};
};

TEST_F(OraOwnershipTest, AnEngineFailingPartWayFreesWhatItMade) {
  // Error, server, session and service context handles.
  EXPECT_EQ(fail_each_allocation([&] { ora_engine engine(calls_); }), 4);
  EXPECT_TRUE(ora_counting_calls::live.empty());
}

TEST_F(OraOwnershipTest, QueriesAndLobInsertsFailingPartWayFreeWhatTheyMade) {
  start_connected();
  // Two statements, a LOB locator for C and B and a timestamp for D.
  EXPECT_EQ(fail_each_allocation(
                [&] { ora_query_results rows(*engine_, 0, u"SELECT \"C\", \"B\", \"D\", \"N\" FROM \"T\""); }),
            5);
  udb_schema lobs = udb_schema_of({t_ftd(0, u"C", VT_BSTR), t_ftd(0, u"N", VT_I4), t_ftd(0, u"B", VT_BLOB),
                                   t_ftd(0, u"C2", VT_BSTR)});
  EXPECT_EQ(fail_each_allocation([&] { ora_lob_insert insert(*engine_, u"T", lobs); }), 3);
  EXPECT_EQ(fail_each_allocation([&] { ora_stmt statement(*engine_); }), 1);
}

TEST_F(OraOwnershipTest, OwnersOutlivingTheEngineFreeThemselvesAndTheEnvironmentLast) {
  start_connected();
  auto statement = std::make_unique<ora_stmt>(*engine_);
  statement->prepare(u"SELECT \"N\" FROM \"T\"");
  // The columns' LOB locator and timestamp descriptor, and the query's statement.
  auto rows = std::make_unique<ora_query_results>(*engine_, 0, u"SELECT \"C\", \"D\" FROM \"T\"");
  auto insert = std::make_unique<ora_lob_insert>(*engine_, u"T", udb_schema_of({t_ftd(0, u"C", VT_BSTR)}));
  const std::size_t held = ora_counting_calls::live.size();
  db_.reset();
  engine_.reset();
  // The environment and the handles above are still there; the engine's own are not.
  EXPECT_EQ(ora_counting_calls::live.size(), held - 4);
  statement.reset();
  rows.reset();
  EXPECT_FALSE(ora_counting_calls::live.empty());
  insert.reset();
}

}  // namespace

#endif
