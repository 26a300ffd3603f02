// The agent run from a profile the wizard saved (--profile=): the profile's
// folder, account, tables and type mappings, with the options beside it
// taking precedence, and a clear stop for a missing or damaged profile.
#include <gtest/gtest.h>

#include <fstream>

#include "e2e_session.hpp"
#include "tk_file_name.hpp"
#include "ora_db_mutator.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"

namespace {

// Two sample tables, CUSTOMER renamed CLIENTS without its PHONE column, in
// the profile `name` (UTF-8).
std::filesystem::path write_profile(const e2e_session& session, const std::string& name = "clients.vpx") {
  const std::filesystem::path path = session.root() / tk_native_path(name);
  vesper_settings settings;
  ora_db_mutator customisation;
  settings.folder = session.copy_of_samples("dbf").u16string();
  settings.service = u"XE";
  settings.user = u"scott";
  settings.password = u"tiger";
  settings.host.clear();
  settings.port = u"1521";
  settings.tables = {u"orders", u"customer"};
  ora_table_mutator& customer = customisation.table_for_update(u"customer");
  customer.new_name = u"CLIENTS";
  customer.update_field(u"PHONE", u"PHONE", u"NVARCHAR2(18)", 0).status = ora_field_mutator::deleted;
  EXPECT_TRUE(vesper_profile_io(settings, customisation).store(tk_path_utf8(path)));
  return path;
}

}  // namespace

TEST(E2eProfile, TheProfileGivesTheRunAndOptionsBesideItOverrideIt) {
  e2e_session session;
  const std::string profile = "--profile=" + write_profile(session).string();
  e2e_result run = session.agent({profile});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.tables(), "CLIENTS\nORDERS\n");
  EXPECT_EQ(session.count("CLIENTS"), "11");
  EXPECT_EQ(session.sql("SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'CLIENTS' AND COLUMN_NAME = 'PHONE'"),
            "COUNT(*)\n0\n");
  // The account of the command line wins over the profile's.
  run = session.agent({profile, "--oraclp=wrong"});
  EXPECT_EQ(run.status, 255);
  EXPECT_NE(run.out.find("Invalid user name or password."), std::string::npos) << run.describe();
  // So do the tables of a names file, whichever side of the profile it stands.
  const std::filesystem::path names = session.root() / "names.txt";
  std::ofstream(names) << "supplier\n";
  run = session.agent({"--tab_file=" + names.string(), profile});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.tables(), "CLIENTS\nORDERS\nSUPPLIER\n");
}

TEST(E2eProfile, AMissingOrForeignProfileStopsBeforeAnyTable) {
  e2e_session session;
  const std::filesystem::path missing = session.root() / "missing.vpx";
  e2e_result run = session.agent({"--profile=" + missing.string()});
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.err, "Profile does not exist. Please verify the correct path/name was given. (" + missing.string() +
                         ")\n");
  const std::filesystem::path foreign = session.root() / "notes.vpx";
  std::ofstream(foreign) << "key=value before any section\n";
  run = session.agent({"--profile=" + foreign.string()});
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.err, "The file " + foreign.string() + " is not a profile saved by the wizard, or it is damaged.\n");
  run = session.agent({"--profile="});
  EXPECT_EQ(run.err, "--profile= needs the name of a profile file\n");
  EXPECT_EQ(session.tables(), "");
}

TEST(E2eProfile, AProfileNamedOutsideTheAnsiCodePageLoads) {
  e2e_session session;
  const e2e_result run = session.agent({"--profile=" + tk_path_utf8(write_profile(session, "Профиль ✓.vpx"))});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.tables(), "CLIENTS\nORDERS\n");
}
