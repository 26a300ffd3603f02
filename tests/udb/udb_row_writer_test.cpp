// The writer of a table that takes its records one by one (the recording
// target of --check is one): a record the table refuses fails alone and the
// run goes on; a stop the user asked for is never taken for a failure.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tk_exception.hpp"
#include "tk_final_exception.hpp"
#include "udb_recordset.hpp"

namespace {

// Refuses records whose ID is negative; ID 0 stands for the user's stop.
class refusing_table : public udb_recordset {
 public:
  refusing_table() : udb_recordset(u"T") {}
  void append_record(const udb_record& record) override {
    const int id = record[0].to_long();
    if (id == 0) throw tk_final_exception();
    if (id < 0) throw tk_exception("refused " + std::to_string(-id));
    kept.push_back(id);
  }
  udb_record& get_item() override { return unused; }
  std::vector<int> kept;
  udb_record unused;
};

udb_record row(int id) {
  udb_record record;
  record.add(std::make_unique<udb_field>(u"ID", 0, ole_variant(id)));
  return record;
}

TEST(UdbRowWriter, ARefusedRecordFailsAloneWithItsNumber) {
  refusing_table table;
  std::vector<std::pair<std::uint64_t, std::string>> failed;
  std::uint64_t inserted = 0;
  udb_write_sinks sinks;
  sinks.failed = [&](const tk_exception& e, std::uint64_t number) { failed.emplace_back(number, e.message); };
  sinks.lost = [](std::uint64_t) { ADD_FAILURE() << "nothing is lost one record at a time"; };
  sinks.inserted = [&](std::uint64_t rows) { inserted += rows; };
  std::unique_ptr<udb_record_writer> writer = table.open_writer(udb_write_options{}, std::move(sinks));
  writer->append(row(1), 10);
  writer->append(row(-2), 11);
  writer->skip(12);
  writer->reject(tk_exception("not customised"), 13);
  EXPECT_TRUE(writer->at_boundary());
  writer->append(row(4), 14);
  writer->finish();
  EXPECT_EQ(table.kept, (std::vector<int>{1, 4}));
  EXPECT_EQ(inserted, 2u);
  ASSERT_EQ(failed.size(), 2u);
  EXPECT_EQ(failed[0], std::make_pair(std::uint64_t(11), std::string("refused 2")));
  EXPECT_EQ(failed[1], std::make_pair(std::uint64_t(13), std::string("not customised")));

  EXPECT_THROW(writer->append(row(0), 15), tk_final_exception);
  EXPECT_EQ(failed.size(), 2u);
  EXPECT_EQ(inserted, 2u);
}

}  // namespace
