// A profile carries a whole conversion: the tables a run creates from it
// in a fresh Oracle schema are the tables the run of the converter that
// stored it created.
#include "profile_fixture.hpp"

#ifdef VESPER_TEST_OCI_LIB

#include <cstdio>
#include <cstdlib>

#include "test_platform.hpp"
#include "comma_decimal_locale.hpp"
#include "dbf_writer.hpp"
#include "tk_reporter.hpp"
#include "run_presenter.hpp"
#include "vesper_converter.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"

namespace {

class ProfileEmulationTest : public ProfileTest {
 protected:
  static void SetUpTestSuite() { test_set_environment("VESPER_OCI_LIB", VESPER_TEST_OCI_LIB); }

  // A new, empty emulation home with service XE (scott/tiger).
  void new_oracle_home(const std::string& name) {
    std::filesystem::path home = folder_ / name;
    std::filesystem::create_directories(home);
    test_set_environment("OCIEMU_HOME", home.string());
    ASSERT_EQ(test_run_command(test_shell_quoted(VESPER_TEST_OCIEMU_TOOL) + " create-service XE scott tiger >" +
                               test_null_device + " 2>&1"),
              0);
  }

  static std::string sql(const std::string& statement) {
    std::string output;
    test_run_command(test_shell_quoted(VESPER_TEST_OCIEMU_TOOL) + " sql XE scott tiger \"" + statement + "\" 2>&1",
                     &output);
    return output;
  }

  // The columns of every table and the rows of the two converted ones.
  static std::string oracle_tables() {
    return sql("SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, DATA_DEFAULT "
               "FROM USER_TAB_COLUMNS ORDER BY TABLE_NAME, COLUMN_ID") +
           sql("SELECT * FROM CLIENTS ORDER BY ID") + sql("SELECT * FROM ORDERS ORDER BY NO");
  }

  void write_tables(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    dbf_writer customers(0x03);
    customers.field(u"ID", 'N', 6).field(u"NAME", 'C', 20).field(u"CITY", 'C', 15).field(u"NOTE", 'C', 10);
    customers.record({dbf_cell::integer(1), dbf_cell::text(u"Ann"), dbf_cell::text(u"Oslo"), dbf_cell::text(u"a")});
    customers.record({dbf_cell::integer(2), dbf_cell::text(u"Bob"), dbf_cell::text(u"Rome"), dbf_cell::text(u"b")});
    customers.write(folder, "CUSTOMERS.DBF");
    dbf_writer orders(0x03);
    orders.field(u"NO", 'N', 4).field(u"TOTAL", 'N', 8, 2);
    orders.record({dbf_cell::integer(7), dbf_cell::number(12.5)});
    orders.write(folder, "ORDERS.DBF");
    dbf_writer unchosen(0x03);
    unchosen.field(u"X", 'N', 4).record({dbf_cell::integer(1)});
    unchosen.write(folder, "SPARE.DBF");
  }

  // The settings of a run of `tables` of `dbf` into the current home.
  static vesper_settings settings_for(const std::filesystem::path& dbf, std::vector<std::u16string> tables) {
    vesper_settings settings;
    settings.folder = dbf.u16string();
    settings.service = u"XE";
    settings.host = u"localhost";
    settings.user = u"scott";
    settings.password = u"tiger";
    settings.port.clear();
    settings.tables = std::move(tables);
    return settings;
  }

  // The run of a converter into the current home; what it created.
  std::string convert(vesper_converter& c, const vesper_settings& settings) {
    c.connect_oracle_server(settings);
    run_quiet_presenter quiet;
    const run_result& result = c.run(settings, quiet);
    EXPECT_EQ(result.tables_failed, 0u);
    EXPECT_EQ(result.records_failed, 0u);
    return oracle_tables();
  }
};

// Reals of every DBF kind through a whole conversion, the emulation included:
// both run in this process, as in the wizard, which takes its locale from the
// environment.
class LocaleConversionTest : public ProfileEmulationTest {
 protected:
  static void write_reals(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    dbf_writer prices(0x30);
    prices.language_driver(0x03).field(u"NO", 'N', 4).field(u"PRICE", 'N', 8, 2).field(u"RATE", 'F', 12, 4);
    prices.field(u"WEIGHT", 'B', 8, 2);
    prices.record({dbf_cell::integer(1), dbf_cell::number(2.5), dbf_cell::number(0.125), dbf_cell::number(-1234.5)});
    prices.record({dbf_cell::integer(2), dbf_cell::number(-0.1), dbf_cell::number(1e-3), dbf_cell::number(2.5e10)});
    prices.write(folder, "PRICES.DBF");
  }

  // The columns and rows a run into a new home created.
  std::string convert_into(const std::string& home, const std::filesystem::path& dbf) {
    new_oracle_home(home);
    tk_log_reporter c_reporter;
    vesper_converter c(c_reporter);
    convert(c, settings_for(dbf, {u"PRICES"}));
    return sql("SELECT COLUMN_NAME, DATA_TYPE, DATA_PRECISION, DATA_SCALE FROM USER_TAB_COLUMNS "
               "WHERE TABLE_NAME = 'PRICES' ORDER BY COLUMN_ID") +
           sql("SELECT * FROM PRICES ORDER BY NO");
  }
};

}  // namespace

TEST_F(LocaleConversionTest, RealsArriveAlikeUnderACommaDecimalLocale) {
  const std::filesystem::path dbf = folder_ / "dbf";
  write_reals(dbf);
  const std::string plain = convert_into("plain", dbf);
  for (const char* value : {"2.5", ".125", "-1234.5", "-.1", ".001", "25000000000"})
    EXPECT_NE(plain.find(value), std::string::npos) << value << " missing from\n" << plain;

  std::string german_run;
  {
    comma_decimal_locale german;
    ASSERT_TRUE(german.active()) << comma_decimal_locale::missing;
    german_run = convert_into("german", dbf);
  }
  EXPECT_EQ(german_run, plain);
}

TEST_F(ProfileEmulationTest, ConvertingFromALoadedProfileGivesTheSameOracleTables) {
  std::filesystem::path dbf = folder_ / "dbf";
  write_tables(dbf);
  std::string first;
  new_oracle_home("first");
  {
    vesper_settings settings = settings_for(dbf, {u"CUSTOMERS", u"ORDERS"});
    tk_log_reporter a_reporter;
    vesper_converter a(a_reporter);
    ora_table_mutator& t = a.customisation().table_for_update(u"CUSTOMERS");
    t.new_name = u"CLIENTS";
    t.update_field(u"NAME", u"FULL_NAME", u"NVARCHAR2(40)", 0).default_value = u"n=a";
    t.update_field(u"ID", u"ID", u"NUMBER(12,2)", 0);
    t.fields[u"NOTE"] = std::make_unique<ora_field_mutator>();
    t.fields[u"NOTE"]->status = ora_field_mutator::deleted;
    ASSERT_TRUE(vesper_profile_io(settings, a.customisation()).store(path("p.vpx")));
    first = convert(a, settings);
  }
  EXPECT_NE(first.find("FULL_NAME"), std::string::npos) << first;
  EXPECT_NE(first.find("n=a"), std::string::npos) << first;
  EXPECT_NE(first.find("Bob"), std::string::npos) << first;
  EXPECT_EQ(first.find("NOTE"), std::string::npos) << first;
  EXPECT_EQ(first.find("SPARE"), std::string::npos) << first;

  new_oracle_home("second");
  tk_log_reporter b_reporter;
  vesper_converter b(b_reporter);
  vesper_settings loaded;
  ASSERT_TRUE(vesper_profile_io(loaded, b.customisation()).load(path("p.vpx")));
  EXPECT_EQ(convert(b, loaded), first);
}

#endif
