// Two agents loading different tables of one service at the same time: each
// waits for the other's transaction instead of failing its records.
#include <gtest/gtest.h>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

std::filesystem::path write_numbers(const e2e_session& session, const std::string& folder_name,
                                    const char* file, int records) {
  const std::filesystem::path folder = session.folder(folder_name);
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 6).field(u"NAME", 'C', 20);
  for (int id = 1; id <= records; ++id)
    table.record({dbf_cell::integer(id), dbf_cell::text(u"row " + std::u16string(1, u'a' + id % 26))});
  table.write(folder, file);
  return folder;
}

TEST(E2eSideBySide, TwoAgentsOnOneServiceBothLoadEveryRow) {
  e2e_session session;
  constexpr int records = 5000;
  const auto first = write_numbers(session, "first", "LEFT.DBF", records);
  const auto second = write_numbers(session, "second", "RIGHT.DBF", records);
  auto args = [](const std::filesystem::path& folder) {
    std::vector<std::string> all = e2e_session::login();
    all.push_back("--src=" + folder.string());
    return all;
  };
  const e2e_child left = session.start_agent(args(first));
  const e2e_child right = session.start_agent(args(second));
  const e2e_result left_run = e2e_process::finish(left);
  const e2e_result right_run = e2e_process::finish(right);
  EXPECT_EQ(left_run.status, 0) << left_run.describe();
  EXPECT_EQ(right_run.status, 0) << right_run.describe();
  EXPECT_EQ(left_run.out.find("ORA-00054"), std::string::npos);
  EXPECT_EQ(session.count("LEFT"), std::to_string(records));
  EXPECT_EQ(session.count("RIGHT"), std::to_string(records));
  EXPECT_EQ(session.sql("SELECT COUNT(DISTINCT ID) FROM \"RIGHT\""), "COUNT(DISTINCT ID)\n" + std::to_string(records) + "\n");
}

}  // namespace
