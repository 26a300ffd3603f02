// The wizard's logic driven as a front end drives it, with no toolkit: each
// page's fields filled, Next and Back pressed, the user's answers given,
// the run polled on its worker thread, against a fresh emulation home.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "check_model.hpp"
#include "dbf_writer.hpp"
#include "encoding_model.hpp"
#include "finish_model.hpp"
#include "folder_model.hpp"
#include "oracle_login_model.hpp"
#include "query_model.hpp"
#include "run_model.hpp"
#include "run_progress_board.hpp"
#include "table_tally.hpp"
#include "tk_format.hpp"
#include "table_edit_model.hpp"
#include "tables_model.hpp"
#include "udb_schema.hpp"
#include "test_platform.hpp"
#include "tk_reporter.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"
#include "welcome_model.hpp"
#include "wizard_session.hpp"
#include "error_handler.hpp"
#include "ora_error_texts.hpp"
#include "wizard_error_list.hpp"
#include "wizard_exit.hpp"

namespace {

// The boxes a user would see, kept in order; questions get the planned
// answers, then No.
class recorded_prompts : public wizard_prompts {
 public:
  void error(const std::string& text) const override { shown.push_back("error: " + text); }
  void message(const std::string& text) const override { shown.push_back("message: " + text); }
  bool question(const std::string& text, bool) const override {
    shown.push_back("question: " + text);
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }

  mutable std::vector<std::string> shown;
  mutable std::deque<bool> answers;
};

// The wizard's way with errors, without its dialogs: each is kept, none
// ends the process.
class recorded_presenter : public error_presenter {
 public:
  explicit recorded_presenter(std::vector<std::string>& shown) : shown_(shown) {}
  void show_internal_error(const std::string& what) override { shown_.push_back("internal: " + what); }
  bool show_error(const std::string& text, int, bool&) override {
    shown_.push_back("reported: " + text);
    return false;
  }
  void show_warning(const std::string& text, bool) override { shown_.push_back("warning: " + text); }
  bool run_errors_end_process() const override { return false; }

 private:
  std::vector<std::string>& shown_;
};

// The slow step on the calling thread: the model must not care where it runs.
void run_here(const std::function<void()>& work) { work(); }

class WizardModelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test_set_environment("VESPER_OCI_LIB", VESPER_TEST_OCI_LIB);
    // The map and types files Edit Table chooses from.
    test_set_environment("VESPER_DATA_DIR", VESPER_TEST_DATA);
  }

  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("vesper-model-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(root_ / "oracle");
    test_set_environment("OCIEMU_HOME", (root_ / "oracle").string());
    ASSERT_EQ(test_run_command(test_shell_quoted(VESPER_TEST_OCIEMU_TOOL) + " create-service XE scott tiger >" +
                               test_null_device + " 2>&1"),
              0);
  }

  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  static std::string sql(const std::string& statement) {
    std::string output;
    test_run_command(test_shell_quoted(VESPER_TEST_OCIEMU_TOOL) + " sql XE scott tiger \"" + statement + "\" 2>&1",
                     &output);
    return output;
  }

  // The number of rows of `table`, as the tool prints it under its heading.
  static std::string count(const std::string& table) {
    std::string out = sql("SELECT COUNT(*) FROM " + table);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out.substr(out.find('\n') + 1);
  }

  // The login page filled in as scott and Next pressed.
  bool log_in(const recorded_prompts& prompts) {
    oracle_login_model login(settings_, converter_);
    login.load();
    login.service = u"XE";
    login.user = u"scott";
    login.password = u"tiger";
    return login.next(prompts, run_here);
  }

  std::filesystem::path root_;
  tk_log_reporter reporter_;
  vesper_settings settings_;
  vesper_converter converter_{reporter_};
  wizard_error_list errors_;
  bool nothing_chosen_ = false;
};

// Login, folder, encoding, the run and the finish page, as the user walks
// them, with the samples' tables arriving in the emulation.
TEST_F(WizardModelTest, WalkThroughThePagesConvertsTheSamples) {
  recorded_prompts prompts;
  ASSERT_TRUE(log_in(prompts)) << ::testing::PrintToString(prompts.shown);

  folder_model folder(settings_);
  folder.load();
  folder.folder = std::filesystem::path(VESPER_TEST_SAMPLES).u16string();
  ASSERT_TRUE(folder.next(prompts));
  encoding_model encoding(settings_);
  encoding.load();
  encoding.next();
  EXPECT_EQ(settings_.code_page, 0);
  settings_.tables = {u"customer", u"ordlines"};

  run_model run(settings_, converter_, errors_, nothing_chosen_);
  run.start();
  ASSERT_TRUE(run.running());
  run_model::progress now;
  for (int tick = 0; tick < 600 && !now.finished; ++tick) {
    std::this_thread::sleep_for(std::chrono::milliseconds(run_model::tick_ms / 4));
    now = run.poll();
    EXPECT_LE(now.bar, 100);
  }
  ASSERT_TRUE(now.finished);
  run.finish();
  EXPECT_FALSE(run.running());

  finish_model finish(settings_, converter_, errors_, nothing_chosen_);
  const finish_model::outcome ended = finish.load();
  EXPECT_EQ(ended.heading, "Conversion is Completed");
  EXPECT_EQ(ended.text, finish_model::success_text);
  EXPECT_TRUE(ended.errors.empty());
  EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.shown);
  // Every record, the one marked deleted too.
  EXPECT_EQ(count("CUSTOMER"), "11");
  EXPECT_EQ(count("ORDLINES"), "36");
  const std::string tables = sql("SELECT TABLE_NAME FROM USER_TABLES ORDER BY TABLE_NAME");
  EXPECT_NE(tables.find("CUSTOMER"), std::string::npos) << tables;
  EXPECT_NE(tables.find("ORDLINES"), std::string::npos) << tables;
  EXPECT_EQ(tables.find("PRODUCTS"), std::string::npos) << tables;
}

// Each page's check says what is wrong and keeps the page; the message is
// the one the user has always been shown.
TEST_F(WizardModelTest, NextKeepsThePageWithItsMessage) {
  recorded_prompts prompts;
  oracle_login_model login(settings_, converter_);
  login.load();
  EXPECT_FALSE(login.next(prompts, run_here));
  login.service = u"XE";
  login.user = u"scott";
  login.password = u"wrong";
  login.port.clear();
  EXPECT_FALSE(login.next(prompts, run_here));
  EXPECT_EQ(converter_.target(), nullptr);

  folder_model folder(settings_);
  EXPECT_FALSE(folder.next(prompts));
  folder.folder = (root_ / "missing").u16string();
  EXPECT_FALSE(folder.next(prompts));
  const std::filesystem::path file = root_ / "file.dbf";
  dbf_writer(0x03).field(u"ID", 'N', 4).write(root_, "file.dbf");
  folder.folder = file.u16string();
  EXPECT_FALSE(folder.next(prompts));

  ASSERT_EQ(prompts.shown.size(), 5u);
  EXPECT_EQ(prompts.shown[0], std::string("message: ") + oracle_login_model::no_database);
  EXPECT_EQ(prompts.shown[1].rfind("error: ", 0), 0u) << prompts.shown[1];
  EXPECT_EQ(prompts.shown[2], std::string("message: ") + folder_model::no_path);
  EXPECT_EQ(prompts.shown[3], std::string("error: ") + folder_model::missing_path);
  EXPECT_EQ(prompts.shown[4], std::string("error: ") + folder_model::file_path);
}

// Back stores what was typed, and the page shows it again when it comes
// back, the choices that Next would have refused too.
TEST_F(WizardModelTest, BackKeepsTheChoices) {
  oracle_login_model login(settings_, converter_);
  login.load();
  login.host = u"db.example";
  login.service = u"ORCL";
  login.user = u"ann";
  login.back();
  folder_model folder(settings_);
  folder.load();
  folder.folder = u"/nowhere";
  folder.existing_tables = existing_table_mode::sync;
  folder.upper_case = false;
  folder.row_by_row = true;
  folder.commit_rows = 5000;
  folder.back();
  encoding_model encoding(settings_);
  encoding.load();
  encoding.row = encoding.choices().size() - 1;
  encoding.back();

  oracle_login_model login_again(settings_, converter_);
  login_again.load();
  EXPECT_EQ(login_again.host, u"db.example");
  EXPECT_EQ(login_again.service, u"ORCL");
  EXPECT_EQ(login_again.user, u"ann");
  folder_model folder_again(settings_);
  folder_again.load();
  EXPECT_EQ(folder_again.existing_tables, existing_table_mode::sync);
  EXPECT_FALSE(folder_again.upper_case);
  EXPECT_TRUE(folder_again.row_by_row);
  EXPECT_FALSE(folder_again.sizes_enabled());
  EXPECT_EQ(folder_again.commit_rows, 5000u);
  encoding_model encoding_again(settings_);
  encoding_again.load();
  EXPECT_EQ(encoding_again.row, encoding.choices().size() - 1);
}

// Every code page is offered once, with its number, and a setting of a
// byte that reads like a listed one shows as that entry.
TEST_F(WizardModelTest, EncodingChoicesAreListedOnce) {
  encoding_model encoding(settings_);
  std::set<std::string> labels;
  for (const encoding_model::choice& row : encoding.choices()) {
    EXPECT_TRUE(labels.insert(row.label).second) << row.label;
    EXPECT_EQ(encoding.row_of(row.code), std::size_t(&row - encoding.choices().data())) << row.label;
  }
  EXPECT_EQ(encoding.row_of(-12345), 0u);
  EXPECT_GT(encoding.choices().size(), 40u);
}

// Cancel during the run stops it between batches; the user is told which
// table is partial, and a later run starts with a clear list and request.
TEST_F(WizardModelTest, CancelStopsTheRunAndSaysWhatIsPartial) {
  recorded_prompts prompts;
  ASSERT_TRUE(log_in(prompts));
  const std::filesystem::path folder = root_ / "big";
  std::filesystem::create_directories(folder);
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 10).field(u"NAME", 'C', 30);
  for (int i = 1; i <= 20000; ++i) table.record({dbf_cell::integer(i), dbf_cell::text(u"record")});
  table.write(folder, "BIG.DBF");
  settings_.folder = folder.u16string();
  settings_.batch_rows = 250;

  run_model run(settings_, converter_, errors_, nothing_chosen_);
  run.start();
  for (int tick = 0; tick < 3000 && converter_.status().records_done < 10 && !run.poll().finished; ++tick)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  // No keeps the run going; Yes stops it, and the page stays until it has.
  EXPECT_FALSE(run.cancel(prompts));
  EXPECT_FALSE(run.stopping());
  prompts.answers = {true};
  EXPECT_FALSE(run.cancel(prompts));
  EXPECT_TRUE(run.stopping());
  EXPECT_FALSE(run.cancel(prompts));  // asked once only
  EXPECT_EQ(prompts.shown, std::vector<std::string>(2, std::string("question: ") + exit_question));
  while (!run.poll().finished) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  run.finish();
  ASSERT_TRUE(converter_.last_run().cancelled);
  EXPECT_EQ(run.stopped_text().rfind("The conversion was cancelled.\n\nTable big is partly loaded: ", 0), 0u)
      << run.stopped_text();
  const finish_model::outcome ended = finish_model(settings_, converter_, errors_, nothing_chosen_).load();
  EXPECT_EQ(ended.heading, "Conversion was Stopped");
}

// No table chosen: no run is started, and the finish page says so.
TEST_F(WizardModelTest, NothingChosenRunsNothing) {
  nothing_chosen_ = true;
  errors_.add("from an earlier run");
  run_model run(settings_, converter_, errors_, nothing_chosen_);
  recorded_prompts prompts;
  EXPECT_FALSE(run.cancel(prompts));
  prompts.answers = {true};
  EXPECT_TRUE(run.cancel(prompts));
  run.start();
  EXPECT_FALSE(run.running());
  EXPECT_TRUE(run.poll().finished);
  EXPECT_TRUE(errors_.items().empty());
  const finish_model::outcome ended = finish_model(settings_, converter_, errors_, nothing_chosen_).load();
  EXPECT_EQ(ended.heading, "Nothing was Converted");
  EXPECT_EQ(ended.text, finish_model::nothing_text);
}

TEST_F(WizardModelTest, ProgressBarFormula) {
  EXPECT_EQ(run_model::bar_position(4, 1, 200, 100), 37);
  EXPECT_EQ(run_model::bar_position(0, 0, 0, 0), 0);
  EXPECT_EQ(run_model::bar_position(3, 1, 0, 0), 33);
  EXPECT_EQ(run_model::bar_position(1, 0, 10, 10), 100);
  // A snapshot taken while the run moves on: the last table already counted
  // done with its records still shown, records past the header's count.
  EXPECT_EQ(run_model::bar_position(2, 2, 10, 10), 100);
  EXPECT_EQ(run_model::bar_position(2, 0, 10, 30), 50);
  // A table of four billion records: the product must not wrap.
  EXPECT_EQ(run_model::bar_position(2, 1, 4000000000u, 3000000000u), 87);
}

// Save Settings writes a profile that Load Settings reads back; a name
// without an extension gets the profiles' one, and a folder that is not
// there is an error, not a silent loss.
TEST_F(WizardModelTest, SavedProfileLoadsBack) {
  EXPECT_EQ(finish_model::with_profile_extension("a/job"), "a/job.vpx");
  EXPECT_EQ(finish_model::with_profile_extension("a.b/job."), "a.b/job..vpx");
  EXPECT_EQ(finish_model::with_profile_extension("a/job.txt"), "a/job.txt");
  recorded_prompts prompts;
  settings_.service = u"ORCL";
  settings_.folder = u"/data/dbf";
  settings_.tables = {u"CUSTOMER"};
  const finish_model finish(settings_, converter_, errors_, nothing_chosen_);
  ASSERT_TRUE(finish.store_profile((root_ / "job").string(), prompts));
  EXPECT_FALSE(finish.store_profile((root_ / "missing" / "job").string(), prompts));
  ASSERT_EQ(prompts.shown.size(), 2u);
  EXPECT_EQ(prompts.shown[0], "message: The settings were saved in " + (root_ / "job").string() + ".vpx.");
  EXPECT_EQ(prompts.shown[1].rfind("error: Cannot write the profile ", 0), 0u) << prompts.shown[1];

  vesper_settings loaded;
  vesper_converter other(reporter_);
  EXPECT_TRUE(welcome_model(loaded, other).load_profile((root_ / "job.vpx").string(), prompts));
  EXPECT_EQ(loaded.service, u"ORCL");
  EXPECT_EQ(loaded.folder, u"/data/dbf");
  EXPECT_EQ(loaded.tables, settings_.tables);
  EXPECT_EQ(prompts.shown.size(), 2u);
}

TEST_F(WizardModelTest, QueryCheckTakesASelectAfterBlanksOnly) {
  std::u16string query;
  EXPECT_EQ(query_model::check_query(u" \t\r\n  select * from t", query), query_model::shape::select);
  EXPECT_EQ(query, u"select * from t");
  EXPECT_EQ(query_model::check_query(u"SELEC", query), query_model::shape::wrong);
  EXPECT_EQ(query_model::check_query(u"WITH a AS (SELECT 1 FROM dual) SELECT * FROM a", query),
            query_model::shape::wrong);
  EXPECT_EQ(query_model::check_query(u"  \n ", query), query_model::shape::wrong);
  EXPECT_EQ(query_model::check_query(u"", query), query_model::shape::empty);
}

// OK wants the name first, then a SELECT; Test Query gives the server's
// own message for a missing table and the syntax advice for a parse error.
TEST_F(WizardModelTest, QueryDialogSaysWhatIsWrong) {
  recorded_prompts prompts;
  ASSERT_TRUE(log_in(prompts));
  query_model query(converter_.target(), u"", u"WITH x");
  EXPECT_FALSE(query.accept(prompts));
  query.name = u"big_orders";
  EXPECT_FALSE(query.accept(prompts));
  query.text = u"";
  EXPECT_FALSE(query.accept(prompts));
  query.text = u"SELECT * FROM NO_SUCH_TABLE";
  query.test(prompts);
  query.text = u"SELECT CUST_ID CUSTOMER WHERE";
  query.test(prompts);
  query.text = u"\n  select 1 from DUAL";
  query.test(prompts);
  ASSERT_TRUE(query.accept(prompts));
  EXPECT_EQ(query.result_name(), u"big_orders");
  EXPECT_EQ(query.result_query(), u"select 1 from DUAL");
  ASSERT_EQ(prompts.shown.size(), 6u) << ::testing::PrintToString(prompts.shown);
  EXPECT_EQ(prompts.shown[0], std::string("message: ") + query_model::no_name);
  EXPECT_EQ(prompts.shown[1], std::string("error: ") + query_model::not_select);
  EXPECT_EQ(prompts.shown[2], std::string("message: ") + query_model::no_query);
  EXPECT_EQ(prompts.shown[3].rfind("error: " + query_model::refused("ORA-00942"), 0), 0u) << prompts.shown[3];
  EXPECT_EQ(prompts.shown[4].rfind("error: " + query_model::syntax_error(), 0), 0u) << prompts.shown[4];
  EXPECT_EQ(prompts.shown[5], std::string("message: ") + query_model::correct);

  query_model offline(nullptr, u"q", u"SELECT 1 FROM DUAL");
  offline.test(prompts);
  EXPECT_EQ(prompts.shown.back(), "error: " + query_model::refused("Not connected to Oracle"));
}

// The tables page: entries move between the lists, queries are marked and
// kept apart from the tables, and Back then a new visit shows the same
// choice, in the order it was made.
TEST_F(WizardModelTest, TablesPageKeepsTheChoiceOnBack) {
  recorded_prompts prompts;
  settings_.folder = std::filesystem::path(VESPER_TEST_SAMPLES).u16string();
  tables_model tables(settings_, converter_, nothing_chosen_);
  tables.load(prompts);
  const std::vector<std::u16string> all = tables.available();
  ASSERT_GE(all.size(), 5u);
  EXPECT_TRUE(tables.selected().empty());
  tables.add(2);
  tables.add(0);
  EXPECT_EQ(tables.selected(), (std::vector<std::u16string>{all[2], all[0]}));
  EXPECT_EQ(tables.available().size(), all.size() - 2);
  tables.add(99);  // no such row: nothing moves
  EXPECT_EQ(tables.selected().size(), 2u);
  ASSERT_TRUE(tables.check_query_name(u"BIG", {}).empty());
  tables.add_query(u"BIG", u"SELECT 1 FROM DUAL");
  EXPECT_EQ(tables.check_query_name(all[1], {}).text, tables_model::duplicate_name);
  EXPECT_EQ(tables.check_query_name(u"BIG", {}).text, tables_model::duplicate_name);
  EXPECT_TRUE(tables.check_query_name(u"BIG", u"BIG").empty());
  EXPECT_EQ(tables.label_of(u"BIG"), u"BIG (query)");
  converter_.customisation().table_for_update(all[0]).new_name = u"CLIENTS";
  EXPECT_EQ(tables.label_of(all[0]), u"CLIENTS (" + all[0] + u")");
  tables.back();
  EXPECT_EQ(settings_.tables, (std::vector<std::u16string>{all[2], all[0]}));
  EXPECT_EQ(settings_.table_queries.at(u"BIG"), u"SELECT 1 FROM DUAL");

  tables_model again(settings_, converter_, nothing_chosen_);
  again.load(prompts);
  EXPECT_EQ(again.selected(), (std::vector<std::u16string>{all[2], all[0], u"BIG"}));
  ASSERT_NE(again.query_text(u"BIG"), nullptr);
  EXPECT_EQ(again.query_text(all[0]), nullptr);
  again.change_query(u"BIG", u"SMALL", u"SELECT 2 FROM DUAL");
  again.remove(2);
  again.remove_all();
  EXPECT_TRUE(again.selected().empty());
  EXPECT_EQ(again.available().size(), all.size() + 1);
  EXPECT_TRUE(again.is_query(u"SMALL"));
  EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.shown);
}

// Next with no table asks first; Yes goes on with nothing chosen, so that
// the run converts nothing rather than the whole folder.
TEST_F(WizardModelTest, TablesNextWithNothingChosenAsks) {
  recorded_prompts prompts;
  settings_.folder = std::filesystem::path(VESPER_TEST_SAMPLES).u16string();
  settings_.tables = {u"customer"};
  tables_model tables(settings_, converter_, nothing_chosen_);
  tables.load(prompts);
  EXPECT_EQ(tables.selected(), std::vector<std::u16string>{u"customer"});
  tables.remove_all();
  EXPECT_FALSE(tables.next(prompts));
  EXPECT_EQ(settings_.tables, std::vector<std::u16string>{u"customer"});
  prompts.answers = {true};
  EXPECT_TRUE(tables.next(prompts));
  EXPECT_TRUE(nothing_chosen_);
  EXPECT_TRUE(settings_.tables.empty());
  EXPECT_EQ(prompts.shown, (std::vector<std::string>(2, std::string("question: ") + tables_model::none_selected)));
  tables.add(0);
  EXPECT_TRUE(tables.next(prompts));
  EXPECT_FALSE(nothing_chosen_);
}

// Edit Table starts from the columns as the run names them; a table that
// cannot be opened is told, not a crash.
TEST_F(WizardModelTest, TablesEditStartsFromTheColumns) {
  recorded_prompts prompts;
  settings_.folder = std::filesystem::path(VESPER_TEST_SAMPLES).u16string();
  tables_model tables(settings_, converter_, nothing_chosen_);
  tables.load(prompts);
  const std::unique_ptr<udb_schema> columns = tables.columns_to_edit(u"customer", prompts);
  ASSERT_NE(columns, nullptr);
  EXPECT_GT(columns->size(), 2u);
  EXPECT_EQ(tables.columns_to_edit(u"NO_SUCH_TABLE", prompts), nullptr);
}

// Edit Table says what is wrong with a column and stays on it; what it
// keeps reaches Oracle through the run (the table renamed, a column renamed
// and retyped, one dropped), and a dialog left without OK changes nothing.
TEST_F(WizardModelTest, EditTableChangesReachOracle) {
  recorded_prompts prompts;
  ASSERT_TRUE(log_in(prompts));
  settings_.folder = std::filesystem::path(VESPER_TEST_SAMPLES).u16string();
  tables_model tables(settings_, converter_, nothing_chosen_);
  tables.load(prompts);
  const std::unique_ptr<udb_schema> columns = tables.columns_to_edit(u"ordlines", prompts);
  ASSERT_NE(columns, nullptr);
  ASSERT_GE(columns->size(), 3u);

  {
    table_edit_model cancelled(converter_.customisation(), u"ordlines", *columns, false);
    cancelled.table_name = u"NOT_KEPT";
  }
  EXPECT_EQ(converter_.customisation().table(u"ordlines"), nullptr);

  table_edit_model edit(converter_.customisation(), u"ordlines", *columns, false);
  ASSERT_EQ(edit.row_count(), columns->size());
  EXPECT_EQ(edit.table_name, u"ordlines");
  edit.show_row(1);
  EXPECT_EQ(edit.type, edit.types.front());
  edit.field_name = u"  ";
  EXPECT_FALSE(edit.store_shown_row(prompts));
  edit.field_name = u"RENAMED";
  edit.choose_type(u"VARCHAR2");
  ASSERT_TRUE(edit.has_length());
  EXPECT_FALSE(edit.has_precision_scale());
  edit.length = u"x";
  EXPECT_FALSE(edit.store_shown_row(prompts));
  edit.length = u" 60 ";
  ASSERT_TRUE(edit.store_shown_row(prompts));
  EXPECT_EQ(edit.row(1).name, u"RENAMED");
  EXPECT_EQ(edit.row(1).type, u"VARCHAR2(60)");
  const std::u16string dropped = edit.row(2).name;
  edit.kept[2] = false;
  edit.show_row(0);
  edit.table_name = u"";
  EXPECT_FALSE(edit.accept(prompts));
  edit.table_name = u" LINES ";
  ASSERT_TRUE(edit.accept(prompts));
  EXPECT_EQ(prompts.shown, (std::vector<std::string>{std::string("message: ") + table_edit_model::empty_name,
                                                     std::string("message: ") + table_edit_model::bad_length,
                                                     std::string("message: ") + table_edit_model::empty_name}));
  EXPECT_EQ(tables.label_of(u"ordlines"), u"LINES (ordlines)");

  tables.add(std::size_t(std::find(tables.available().begin(), tables.available().end(), u"ordlines") -
                         tables.available().begin()));
  ASSERT_TRUE(tables.next(prompts)) << ::testing::PrintToString(prompts.shown);
  run_model run(settings_, converter_, errors_, nothing_chosen_);
  run.start();
  while (!run.poll().finished) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  run.finish();
  EXPECT_FALSE(converter_.last_run().failed());
  EXPECT_EQ(count("LINES"), "36");
  const std::string shape =
      sql("SELECT COLUMN_NAME, DATA_TYPE, CHAR_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'LINES'");
  EXPECT_NE(shape.find("RENAMED"), std::string::npos) << shape;
  EXPECT_NE(shape.find("VARCHAR2"), std::string::npos) << shape;
  EXPECT_NE(shape.find("RENAMED\tVARCHAR2\t60\n"), std::string::npos) << shape;
  std::string dropped_name;
  for (const char16_t c : dropped) dropped_name += char(c);
  EXPECT_EQ(shape.find(dropped_name), std::string::npos) << shape;
}

// Key marks are offered in sync mode only; they show the settings' key
// (names compared without case), a marked field removed from the table is
// refused, and OK stores the marks as the table's key in the settings,
// where --key and a profile put it. Marks left as they were keep the key
// as given; none left clears it.
TEST_F(WizardModelTest, EditTableKeyMarksAreTheTablesSyncKey) {
  recorded_prompts prompts;
  ASSERT_TRUE(log_in(prompts));
  settings_.folder = std::filesystem::path(VESPER_TEST_SAMPLES).u16string();
  tables_model tables(settings_, converter_, nothing_chosen_);
  tables.load(prompts);
  const std::unique_ptr<udb_schema> columns = tables.columns_to_edit(u"ordlines", prompts);
  ASSERT_NE(columns, nullptr);
  ASSERT_GE(columns->size(), 3u);
  const std::u16string first = (*columns)[0].name, second = (*columns)[1].name;
  auto lower = [](std::u16string text) {
    for (char16_t& c : text)
      if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    return text;
  };

  settings_.sync_keys[u"ORDLINES"] = {lower(second), lower(first)};
  EXPECT_FALSE(table_edit_model(converter_.customisation(), u"ordlines", *columns, false, &settings_).keys_shown());
  settings_.existing_tables = existing_table_mode::sync;
  {
    table_edit_model edit(converter_.customisation(), u"ordlines", *columns, false, &settings_);
    ASSERT_TRUE(edit.keys_shown());
    EXPECT_TRUE(edit.key[0] && edit.key[1]);
    EXPECT_EQ(std::count(edit.key.begin(), edit.key.end(), true), 2);
    ASSERT_TRUE(edit.accept(prompts));
    EXPECT_EQ(settings_.sync_keys.at(u"ORDLINES"), (std::vector<std::u16string>{lower(second), lower(first)}));
  }
  {
    table_edit_model edit(converter_.customisation(), u"ordlines", *columns, false, &settings_);
    edit.key[1] = false;
    edit.kept[0] = false;
    EXPECT_FALSE(edit.accept(prompts));
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{std::string("message: ") + table_edit_model::key_dropped}));
    EXPECT_EQ(converter_.customisation().table(u"ordlines"), nullptr);
    EXPECT_EQ(settings_.sync_keys.size(), 1u);
    edit.kept[0] = true;
    ASSERT_TRUE(edit.accept(prompts));
    EXPECT_EQ(settings_.sync_keys, (std::map<std::u16string, std::vector<std::u16string>>{{u"ordlines", {first}}}));
  }
  {
    table_edit_model edit(converter_.customisation(), u"ordlines", *columns, false, &settings_);
    edit.key.assign(edit.key.size(), false);
    ASSERT_TRUE(edit.accept(prompts));
    EXPECT_TRUE(settings_.sync_keys.empty());
  }
}

// Quick launch: a missing or foreign file is told and leaves nothing to
// run; a saved profile fills the settings. No table chosen, or a run
// stopped, is not a success.
TEST_F(WizardModelTest, SessionQuickLaunchAndExitStatus) {
  error_handler handler(ora_error_texts::count(), ora_error_texts::table());
  std::vector<std::string> reported;
  handler.set_presenter(std::make_unique<recorded_presenter>(reported));
  recorded_prompts prompts;
  const std::string settings_file = (root_ / "settings" / "Vesper.reg").string();
  wizard_session session(handler, settings_file);
  EXPECT_FALSE(session.load_quick_profile((root_ / "missing.vpx").string(), prompts));
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0].rfind("reported: Profile does not exist.", 0), 0u) << reported[0];
  dbf_writer(0x03).field(u"ID", 'N', 4).write(root_, "not-a-profile.vpx");
  EXPECT_FALSE(session.load_quick_profile((root_ / "not-a-profile.vpx").string(), prompts));
  ASSERT_EQ(prompts.shown.size(), 1u) << ::testing::PrintToString(prompts.shown);
  EXPECT_EQ(prompts.shown[0], "error: The file " + (root_ / "not-a-profile.vpx").string() +
                                  " is not a profile saved by the wizard, or it is damaged.");

  settings_.service = u"XE";
  settings_.tables = {u"customer"};
  ASSERT_TRUE(finish_model(settings_, converter_, errors_, nothing_chosen_)
                  .store_profile((root_ / "quick.vpx").string(), prompts));
  ASSERT_TRUE(session.load_quick_profile((root_ / "quick.vpx").string(), prompts));
  EXPECT_EQ(session.settings().service, u"XE");
  EXPECT_EQ(session.settings().tables, settings_.tables);

  EXPECT_EQ(session.run_status_code(), 0);
  session.nothing_chosen() = true;
  EXPECT_EQ(session.run_status_code(), wizard_session::failure_exit_code);
}

#ifndef _WIN32
// The settings are written back only once the wizard has begun with them:
// a quick launch that failed leaves the stored ones as they were.
TEST_F(WizardModelTest, SessionStoresTheSettingsOnlyOnceBegun) {
  error_handler handler(ora_error_texts::count(), ora_error_texts::table());
  std::vector<std::string> reported;
  handler.set_presenter(std::make_unique<recorded_presenter>(reported));
  recorded_prompts prompts;
  std::filesystem::create_directories(root_ / "settings");
  const std::string settings_file = (root_ / "settings" / "Vesper.reg").string();
  {
    wizard_session session(handler, settings_file);
    session.load_settings(prompts);
    session.settings().service = u"NOT_BEGUN";
    session.store_settings();
  }
  {
    wizard_session session(handler, settings_file);
    session.load_settings(prompts);
    EXPECT_NE(session.settings().service, u"NOT_BEGUN");
    session.begin();
    session.settings().service = u"ORCL";
    session.settings().upper_case = false;
    session.store_settings();
  }
  wizard_session again(handler, settings_file);
  again.load_settings(prompts);
  EXPECT_EQ(again.settings().service, u"ORCL");
  EXPECT_FALSE(again.settings().upper_case);
  EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.shown);
  EXPECT_TRUE(reported.empty()) << ::testing::PrintToString(reported);
}
#endif

}  // namespace

// Test Connection says whether the fields connect, with the server's version
// or Oracle's reason, and leaves the wizard unconnected on its page.
TEST_F(WizardModelTest, TestConnectionTellsTheOutcomeAndDisconnects) {
  recorded_prompts prompts;
  oracle_login_model login(settings_, converter_);
  login.load();
  login.test_connection(prompts, run_here);
  EXPECT_EQ(prompts.shown, std::vector<std::string>{std::string("message: ") + oracle_login_model::no_database});

  prompts.shown.clear();
  login.service = u"XE";
  login.user = u"scott";
  login.password = u"tiger";
  login.test_connection(prompts, run_here);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].rfind("message: Connection succeeded.\n\nOracle Database 19c", 0), 0u) << prompts.shown[0];
  EXPECT_EQ(converter_.target(), nullptr);
  // Testing is not choosing: the stored settings wait for Next.
  EXPECT_TRUE(settings_.service.empty());

  prompts.shown.clear();
  login.password = u"wrong";
  login.test_connection(prompts, run_here);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].rfind("error: ", 0), 0u) << prompts.shown[0];
  EXPECT_NE(prompts.shown[0].find("password"), std::string::npos) << prompts.shown[0];
  EXPECT_EQ(converter_.target(), nullptr);
}

// Each table shows the records its header counts, read when the folder is
// listed; a cut file says what is wrong with it instead, and a query shows none.
TEST_F(WizardModelTest, TablesShowTheirRecordCounts) {
  recorded_prompts prompts;
  const std::filesystem::path folder = root_ / "dbf";
  std::filesystem::create_directories(folder);
  const std::filesystem::path samples(VESPER_TEST_SAMPLES);
  std::filesystem::copy_file(samples / "CUSTOMER.DBF", folder / "customer.dbf");
  std::filesystem::copy_file(samples / "CUSTOMER.FPT", folder / "customer.fpt");
  std::filesystem::copy_file(samples / "ORDLINES.DBF", folder / "cut.dbf");
  std::filesystem::resize_file(folder / "cut.dbf", std::filesystem::file_size(folder / "cut.dbf") - 200);
  settings_.folder = folder.u16string();
  settings_.unused_queries[u"BIG"] = u"SELECT 1 FROM DUAL";
  tables_model tables(settings_, converter_, nothing_chosen_);
  tables.load(prompts);
  EXPECT_EQ(tables.records_text(u"customer"), u"11 records");
  const std::u16string cut = tables.records_text(u"cut");
  EXPECT_EQ(cut.rfind(u"cannot be read: File does not comply with DBF format: its header counts 36 records", 0), 0u)
      << tk_utf16_to_utf8_lenient(cut);
  EXPECT_EQ(tables.records_text(u"BIG"), u"");
  tables.add_all();
  EXPECT_EQ(tables.records_text(u"customer"), u"11 records");
  EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.shown);
}

// Check shows the agent's pre-flight report of the chosen tables with the
// session's changes (a renamed table), writes nothing to Oracle, and leaves
// the session's warnings and exit status alone.
TEST_F(WizardModelTest, CheckReportsTheChosenTablesAsTheRunWould) {
  recorded_prompts prompts;
  ASSERT_TRUE(log_in(prompts)) << ::testing::PrintToString(prompts.shown);
  settings_.folder = std::filesystem::path(VESPER_TEST_SAMPLES).u16string();
  tables_model tables(settings_, converter_, nothing_chosen_);
  tables.load(prompts);
  EXPECT_EQ(tables.check(prompts, run_here), "");
  EXPECT_EQ(prompts.shown, std::vector<std::string>{std::string("message: ") + check_model::nothing_chosen});
  prompts.shown.clear();

  const auto customer = std::find(tables.available().begin(), tables.available().end(), u"customer");
  ASSERT_NE(customer, tables.available().end());
  tables.add(std::size_t(customer - tables.available().begin()));
  tables.add_query(u"BIG", u"SELECT 1 FROM DUAL");
  converter_.customisation().table_for_update(u"customer").new_name = u"CLIENTS";
  const std::string report = tables.check(prompts, run_here);
  EXPECT_NE(report.find("CLIENTS"), std::string::npos) << report;
  EXPECT_NE(report.find("customer"), std::string::npos) << report;
  EXPECT_EQ(report.find("ordlines"), std::string::npos) << report;
  EXPECT_EQ(report.find("could not be made"), std::string::npos) << report;
  EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.shown);
  EXPECT_EQ(sql("SELECT TABLE_NAME FROM USER_TABLES").find("CLIENTS"), std::string::npos);
  // The session's connection is the one the login made.
  ASSERT_NE(converter_.target(), nullptr);
  EXPECT_NE(converter_.target()->limits.name_bytes(), 0u);

  settings_.password = u"wrong";
  const std::string refused = tables.check(prompts, run_here);
  EXPECT_EQ(refused.rfind("The check could not be made: ", 0), 0u) << refused;
}

// The progress page's list of tables done: each with its records and how it
// ended as the run went (one that failed before its records too), and the
// current table's line as the agent shows it.
TEST_F(WizardModelTest, ProgressListsTheTablesDone) {
  recorded_prompts prompts;
  ASSERT_TRUE(log_in(prompts)) << ::testing::PrintToString(prompts.shown);
  sql("CREATE TABLE ORDERS (X NUMBER)");
  settings_.folder = std::filesystem::path(VESPER_TEST_SAMPLES).u16string();
  settings_.tables = {u"customer", u"orders", u"ordlines"};
  settings_.existing_tables = existing_table_mode::merge;
  run_model run(settings_, converter_, errors_, nothing_chosen_);
  run.start();
  run_model::progress now;
  for (int tick = 0; tick < 600 && !now.finished; ++tick) {
    std::this_thread::sleep_for(std::chrono::milliseconds(run_model::tick_ms / 4));
    now = run.poll();
    if (!now.table_line.empty()) {
      EXPECT_NE(now.table_line.find(" records ("), std::string::npos) << now.table_line;
    }
  }
  ASSERT_TRUE(now.finished);
  run.finish();
  ASSERT_EQ(now.tables_done.size(), 3u);
  EXPECT_EQ(now.tables_done[0].name, "customer");
  EXPECT_EQ(now.tables_done[0].records, "11 of 11");
  EXPECT_EQ(now.tables_done[0].status.rfind("done in 0:0", 0), 0u) << now.tables_done[0].status;
  EXPECT_EQ(now.tables_done[1].name, "orders");
  EXPECT_EQ(now.tables_done[1].records, "0");
  EXPECT_EQ(now.tables_done[1].status, "failed");
  EXPECT_EQ(now.tables_done[2].name, "ordlines");
  EXPECT_EQ(now.tables_done[2].records, "36 of 36");
  EXPECT_TRUE(now.table_line.empty()) << now.table_line;

  // A table that ends short says so, with its failed records and warnings.
  run_progress_board board([] { return 0.0; });
  board.table_started(u"half", 10, 0);
  EXPECT_EQ(board.current_line(), "half: 0 of 10 records (0%)");
  board.table_ended(4);
  table_tally half{u"half"};
  half.failed = 1;
  half.warnings = 2;
  board.table_finished(half);
  ASSERT_EQ(board.finished().size(), 1u);
  EXPECT_EQ(board.finished()[0].records, "4 of 10");
  EXPECT_EQ(board.finished()[0].status, "stopped after 0:00, 1 record failed, 2 warnings");
}

// A run on several sessions: a line per session's table or range and the
// totals, fed from the sessions' threads while the page reads; a table loaded
// in ranges is done once, with the records of all its ranges.
TEST_F(WizardModelTest, ProgressOfSeveralSessionsShowsEachSessionAndTheTablesDone) {
  run_progress_board board([] { return 0.0; });
  vesper_progress* first = board.session(0, 2);
  vesper_progress* second = board.session(1, 2);
  ASSERT_TRUE(first && second);
  first->run_started(2010);
  first->table_started(u"small", 10, 0);
  second->range_started(u"big", 2000, 1001, 2000, 1000);
  EXPECT_EQ(board.current_line(),
            "small: 0 of 10 records (0%)\nbig (records 1001 to 2000): 0 of 1000 records (0%)\n"
            "All tables: 0 of 2010 records (0%)");
  first->table_ended(10);
  table_tally small{u"small"};
  small.inserted = 10;
  first->table_finished(small);
  std::thread other([&] {
    for (std::uint64_t record = 1256; record <= 2000; record += 256) second->advanced(record);
    second->table_ended(2000);
  });
  std::thread again([&] {
    first->range_started(u"big", 2000, 1, 1000, 0);
    for (std::uint64_t record = 256; record <= 1000; record += 256) first->advanced(record);
    first->table_ended(1000);
  });
  for (int i = 0; i < 200; ++i) board.current_line();
  other.join();
  again.join();
  EXPECT_EQ(board.current_line(), "All tables: 2010 of 2010 records (100%)");
  table_tally big{u"big"};
  big.inserted = 2000;
  second->table_finished(big);
  const std::vector<run_progress_board::finished_table> done = board.finished();
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0].name + " " + done[0].records + " " + done[0].status, "small 10 of 10 done in 0:00");
  EXPECT_EQ(done[1].name + " " + done[1].records + " " + done[1].status, "big 2000 of 2000 done in 0:00");
  // A new run starts with nothing of the last one.
  board.clear();
  EXPECT_TRUE(board.finished().empty());
  EXPECT_EQ(board.current_line(), "");
}

// The finish page's log viewer shows the run's log file, or says there is none.
TEST_F(WizardModelTest, FinishShowsTheLogOrWhyThereIsNone) {
  finish_model finish(settings_, converter_, errors_, nothing_chosen_);
  finish_model::log_view none = finish.log();
  EXPECT_FALSE(none.present);
  EXPECT_EQ(none.text, finish_model::no_log_text);

  settings_.log_file = (root_ / "run.log").string();
  none = finish.log();
  EXPECT_FALSE(none.present);
  EXPECT_NE(none.text.find("cannot be read"), std::string::npos) << none.text;

  { std::ofstream(root_ / "run.log", std::ios::binary) << "first line\nTable customer: 11 records\n"; }
  const finish_model::log_view log = finish.log();
  EXPECT_TRUE(log.present);
  EXPECT_EQ(log.path, settings_.log_file);
  EXPECT_EQ(log.text, "first line\nTable customer: 11 records\n");
}
