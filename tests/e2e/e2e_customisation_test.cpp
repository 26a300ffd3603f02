// Type mappings of a profile as the wizard saves them, run through the
// agent: a customised column changes only what the user asked for. A
// renamed column keeps its values, a retyped one converts them by the rules
// of an uncustomised run, and a change the run cannot make is a warning.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"
#include "ora_db_mutator.hpp"
#include "tk_file_name.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"

namespace {

// One column's change as the Edit Table dialog records it: the type shown
// in its list (the default one when only the name was edited), and the
// length field's number when the type has one.
struct column_change {
  std::u16string source;
  std::u16string name;
  std::u16string type;
  std::int32_t length = 0;
  std::u16string default_value{};  // as the dialog shows a logical's: "1" or "0"
};

class e2e_profile_run {
 public:
  explicit e2e_profile_run(const e2e_session& session) : session_(session) {
    settings_.folder = session.folder("dbf").u16string();
    settings_.service = u"XE";
    settings_.user = u"scott";
    settings_.password = u"tiger";
    settings_.host.clear();
    settings_.port = u"1521";
  }
  std::filesystem::path folder() const { return settings_.folder; }
  vesper_settings& settings() { return settings_; }
  void change(const std::u16string& table, const column_change& c) {
    customisation_.table_for_update(table).update_field(c.source, c.name, c.type, c.length).default_value =
        c.default_value;
  }
  e2e_result run(const std::string& name) {
    const std::filesystem::path path = session_.root() / tk_native_path(name + ".vpx");
    EXPECT_TRUE(vesper_profile_io(settings_, customisation_).store(tk_path_utf8(path)));
    return session_.agent({"--profile=" + tk_path_utf8(path)});
  }

 private:
  const e2e_session& session_;
  vesper_settings settings_;
  ora_db_mutator customisation_;
};

void write_flags(const std::filesystem::path& folder) {
  dbf_writer table(0x30);
  table.field(u"ID", 'N', 3).field(u"SHIPPED", 'L').field(u"PAID", 'L').field(u"OPEN", 'L').field(u"LATE", 'L');
  table.record({dbf_cell::integer(1), dbf_cell::boolean(true), dbf_cell::boolean(true), dbf_cell::boolean(true),
                dbf_cell::boolean(true)});
  table.record({dbf_cell::integer(2), dbf_cell::boolean(false), dbf_cell::boolean(false), dbf_cell::boolean(false),
                dbf_cell::boolean(false)});
  table.write(folder, "flags.dbf");
}

// DATA_LENGTH counts bytes: a VARCHAR2 of 5 characters takes 20.
std::string columns_of(const e2e_session& session, const std::string& table) {
  return session.sql("SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION FROM USER_TAB_COLUMNS WHERE "
                     "TABLE_NAME = '" + table + "' ORDER BY COLUMN_ID");
}

}  // namespace

// Logicals go as numbers: true is 1 whether the column is renamed, kept at
// its type or widened, and "1" when it becomes text.
TEST(E2eCustomisation, LogicalColumnsRenamedOrRetypedHoldOneForTrue) {
  e2e_session session;
  e2e_profile_run profile(session);
  write_flags(profile.folder());
  profile.settings().tables = {u"flags"};
  profile.settings().logicals_as_is = false;
  profile.change(u"flags", {u"SHIPPED", u"SENT", u"NUMBER(3,0)"});
  profile.change(u"flags", {u"PAID", u"PAID", u"NUMBER(5,0)", 0, u"1"});
  profile.change(u"flags", {u"OPEN", u"OPEN", u"VARCHAR2(5)", 5});
  const e2e_result run = profile.run("numbers");
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.sql("SELECT ID, SENT, PAID, OPEN, LATE FROM FLAGS ORDER BY ID"),
            "ID\tSENT\tPAID\tOPEN\tLATE\n1\t1\t1\t1\t1\n2\t0\t0\t0\t0\n");
  EXPECT_EQ(columns_of(session, "FLAGS"),
            "COLUMN_NAME\tDATA_TYPE\tDATA_LENGTH\tDATA_PRECISION\nID\tNUMBER\t22\t5\nSENT\tNUMBER\t22\t3\n"
            "PAID\tNUMBER\t22\t5\nOPEN\tVARCHAR2\t20\t\nLATE\tNUMBER\t22\t3\n");
}

// Logicals "as is" go as 'T' and 'F': a renamed column stays CHAR(1) (the
// wizard's older dialog saved the numeric type with a mere rename), a text
// type takes the letters, and a number or date cannot hold them: the column
// keeps its type, with a warning naming it, and the run says so.
TEST(E2eCustomisation, LogicalColumnsAsIsKeepTheirLettersOrAreRefusedAWrongType) {
  e2e_session session;
  e2e_profile_run profile(session);
  write_flags(profile.folder());
  profile.settings().tables = {u"flags"};
  profile.settings().logicals_as_is = true;
  profile.change(u"flags", {u"SHIPPED", u"SENT", u"NUMBER(3,0)"});
  profile.change(u"flags", {u"PAID", u"PAID", u"NUMBER(5,0)"});
  profile.change(u"flags", {u"OPEN", u"OPEN", u"VARCHAR2(5)", 5, u"1"});
  profile.change(u"flags", {u"LATE", u"OVERDUE", u"DATE"});
  const e2e_result run = profile.run("letters");
  ASSERT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.sql("SELECT ID, SENT, PAID, OPEN, OVERDUE FROM FLAGS ORDER BY ID"),
            "ID\tSENT\tPAID\tOPEN\tOVERDUE\n1\tT\tT\tT\tT\n2\tF\tF\tF\tF\n");
  EXPECT_EQ(columns_of(session, "FLAGS"),
            "COLUMN_NAME\tDATA_TYPE\tDATA_LENGTH\tDATA_PRECISION\nID\tNUMBER\t22\t5\nSENT\tCHAR\t1\t\n"
            "PAID\tCHAR\t1\t\nOPEN\tVARCHAR2\t20\t\nOVERDUE\tCHAR\t1\t\n");
  EXPECT_NE(run.out.find("flags, column PAID: its logical values ('T' and 'F') do not fit NUMBER(5,0): the column "
                         "keeps its own type"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("flags, column LATE: its logical values ('T' and 'F') do not fit DATE"), std::string::npos)
      << run.out;
  EXPECT_EQ(e2e_occurrences(run.out, "do not fit"), 2u) << run.out;
  // The default takes the letters as the values do.
  EXPECT_EQ(session.sql("SELECT DATA_DEFAULT FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'FLAGS' AND COLUMN_NAME = "
                        "'OPEN'"),
            "DATA_DEFAULT\n'T'\n");
}

// A currency holds up to 19 digits: renamed, kept a plain NUMBER or given a
// scale, it arrives with every one of them.
TEST(E2eCustomisation, CurrencyColumnsKeepEveryDigit) {
  e2e_session session;
  e2e_profile_run profile(session);
  dbf_writer table(0x30);
  table.field(u"ID", 'N', 3).field(u"PRICE", 'Y').field(u"COST", 'Y').field(u"FEE", 'Y');
  const std::int64_t most = std::numeric_limits<std::int64_t>::max();
  table.record({dbf_cell::integer(1), dbf_cell::currency(most), dbf_cell::currency(most), dbf_cell::currency(most)});
  table.record({dbf_cell::integer(2), dbf_cell::currency(-1234567890123456789), dbf_cell::currency(-1234567890123456789),
                dbf_cell::currency(-1234567890123456789)});
  table.write(profile.folder(), "money.dbf");
  profile.settings().tables = {u"money"};
  profile.change(u"money", {u"PRICE", u"AMOUNT", u"NUMBER"});
  profile.change(u"money", {u"COST", u"COST", u"NUMBER(19,4)"});
  profile.change(u"money", {u"FEE", u"FEE", u"FLOAT"});
  const e2e_result run = profile.run("money");
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.sql("SELECT ID, AMOUNT, COST, FEE FROM MONEY ORDER BY ID"),
            "ID\tAMOUNT\tCOST\tFEE\n1\t922337203685477.5807\t922337203685477.5807\t922337203685477.5807\n"
            "2\t-123456789012345.6789\t-123456789012345.6789\t-123456789012345.6789\n");
}

// An entry for a column the table does not have changes nothing; the run
// names the table and the column and does not end as a clean success.
TEST(E2eCustomisation, AnEntryForAColumnTheTableLacksIsAWarning) {
  e2e_session session;
  e2e_profile_run profile(session);
  write_flags(profile.folder());
  profile.settings().tables = {u"flags"};
  profile.change(u"flags", {u"SHIPPE", u"SENT", u"NUMBER(5,0)"});
  const e2e_result run = profile.run("stale");
  ASSERT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("flags, column SHIPPE: the profile changes a column the table does not have"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.count("FLAGS"), "2");
}
