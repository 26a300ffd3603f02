// The Windows wizard's real pages under Wine: the sheet walked from the
// welcome page through the samples into the emulation, a failed login,
// Cancel, Edit Table's rename and retype reaching Oracle, Test Connection,
// the record counts and Check, the tables done and the log viewer.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "check_model.hpp"
#include "finish_model.hpp"
#include "folder_model.hpp"
#include "oracle_login_model.hpp"
#include "query_model.hpp"
#include "tables_model.hpp"
#include "test_platform.hpp"
#include "tk_win_text.hpp"
#include "win_finish_page.hpp"
#include "win_resource.h"
#include "win_wizard_driver.hpp"
#include "win_wizard_probe.hpp"
#include "wizard_exit.hpp"

namespace {

constexpr int welcome = 0, login = 1, folder = 2, encoding = 3, tables = 4, progress = 5, finish = 6;
constexpr int run_timeout_ms = 60000;

std::string without_returns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

// The Unicode text on the clipboard.
std::string clipboard_text(HWND owner) {
  std::string text;
  if (!::OpenClipboard(owner)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    text = tk_win_utf8(static_cast<const wchar_t*>(::GlobalLock(data)));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

// What the text window showed before the test closed it.
struct text_window_seen {
  bool opened = false;
  bool read_only = false;
  std::string text;
  std::string copied;
};

// Reads the next text window titled `title`, presses its Copy with nothing
// selected (which copies all), and closes it.
void read_text_window(win_wizard_driver& wizard, const std::string& title, text_window_seen& seen) {
  wizard.when_dialog(title, [&seen](HWND window) {
    HWND view = ::GetDlgItem(window, IDC_TEXT_VIEW);
    seen.opened = true;
    seen.read_only = (::GetWindowLongW(view, GWL_STYLE) & ES_READONLY) != 0;
    seen.text = win_wizard_driver::window_text(view);
    ::SendMessageW(view, EM_SETSEL, 0, 0);
    ::SendMessageW(::GetDlgItem(window, IDC_TEXT_COPY), BM_CLICK, 0, 0);
    seen.copied = clipboard_text(window);
    ::SendMessageW(::GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
  });
}

class WinWizardTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&controls);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    test_set_environment("VESPER_OCI_LIB", VESPER_TEST_OCI_LIB);
    test_set_environment("VESPER_DATA_DIR", VESPER_TEST_DATA);
  }

  // A key of its own per test, standing in for the user's settings: the
  // tests may run side by side in one Wine prefix.
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(new_emulation("oracle"));
    settings_key_ = std::string("Software\\Tolvane\\VesperWinWizardTest\\") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, tk_win_wide(settings_key_).c_str());
    wizard_ = std::make_unique<win_wizard_driver>(std::string("HKEY_CURRENT_USER\\") + settings_key_);
    wizard_->open();
    ASSERT_EQ(wizard_->page_index(), welcome);
  }

  // An empty emulation home in `name`, where the programs find it.
  void new_emulation(const std::string& name) {
    if (root_.empty())
      root_ = std::filesystem::temp_directory_path() / ("vesper-win-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(root_ / name);
    test_set_environment("OCIEMU_HOME", (root_ / name).string());
    ASSERT_EQ(test_run_command(test_shell_quoted(VESPER_TEST_OCIEMU_TOOL) + " create-service XE scott tiger >" +
                               test_null_device + " 2>&1"),
              0);
  }

  void TearDown() override {
    wizard_.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, tk_win_wide(settings_key_).c_str());
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  static std::string sql(const std::string& statement) {
    std::string output;
    test_run_command(test_shell_quoted(VESPER_TEST_OCIEMU_TOOL) + " sql XE scott tiger \"" + statement + "\" 2>&1",
                     &output);
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    return output;
  }

  // The number of rows of `table`, as the tool prints it under its heading.
  static std::string count(const std::string& table) {
    std::string out = sql("SELECT COUNT(*) FROM " + table);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out.substr(out.find('\n') + 1);
  }

  std::string shown() const { return ::testing::PrintToString(wizard_->prompts.shown); }

  // The login page filled in and Next pressed.
  void log_in(const std::string& password) {
    wizard_->press(PSBTN_NEXT);
    ASSERT_EQ(wizard_->page_index(), login);
    wizard_->type(IDC_DATABASE, "XE");
    wizard_->type(IDC_USERNAME, "scott");
    wizard_->type(IDC_PASSWORD, password);
    wizard_->press(PSBTN_NEXT);
  }

  // From the welcome page to the tables page, with the samples' folder.
  void walk_to_tables() {
    log_in("tiger");
    ASSERT_EQ(wizard_->page_index(), folder) << shown();
    wizard_->type(IDC_FOLDER, VESPER_TEST_SAMPLES);
    wizard_->press(PSBTN_NEXT);
    ASSERT_EQ(wizard_->page_index(), encoding) << shown();
    wizard_->press(PSBTN_NEXT);
    ASSERT_EQ(wizard_->page_index(), tables) << shown();
  }

  // Next on the tables page, and the run until the finish page.
  void run_to_finish() {
    wizard_->press(PSBTN_NEXT);
    ASSERT_TRUE(wizard_->pump_until([&] { return wizard_->page_index() == finish; }, run_timeout_ms)) << shown();
  }

  std::string settings_key_;
  std::filesystem::path root_;
  std::unique_ptr<win_wizard_driver> wizard_;
};

// Every page as the user walks it: all the samples' tables arrive whole,
// the finish page says so, and the wizard closes with status 0.
TEST_F(WinWizardTest, WalksTheSamplesIntoOracle) {
  walk_to_tables();
  const std::vector<std::string> available = wizard_->rows(IDC_AVAILABLE);
  EXPECT_EQ(available.size(), 6u) << ::testing::PrintToString(available);
  wizard_->click(IDC_ADD_ALL);
  EXPECT_TRUE(wizard_->rows(IDC_AVAILABLE).empty());
  EXPECT_EQ(wizard_->rows(IDC_SELECTED).size(), available.size());
  run_to_finish();

  EXPECT_EQ(wizard_->text(IDC_FINISH_HEADING), "Conversion is Completed");
  EXPECT_NE(wizard_->text(IDC_FINISH_TEXT).find("successfully"), std::string::npos) << wizard_->text(IDC_FINISH_TEXT);
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(wizard_->page(), IDC_ERROR_LIST)));
  EXPECT_TRUE(wizard_->prompts.shown.empty()) << shown();
  // Every record, the ones marked deleted too (one query: each starts a program).
  const std::string counts = sql(
      "SELECT (SELECT COUNT(*) FROM CUSTOMER), (SELECT COUNT(*) FROM ORDERS), (SELECT COUNT(*) FROM ORDLINES), "
      "(SELECT COUNT(*) FROM PRODUCTS), (SELECT COUNT(*) FROM SUPPLIER), (SELECT COUNT(*) FROM EMPLOYEE) FROM DUAL");
  EXPECT_NE(counts.find("\n11\t14\t36\t10\t5\t4\n"), std::string::npos) << counts;
  // The progress page listed every table it was through.
  const HWND progress_page = PropSheet_IndexToHwnd(wizard_->sheet, progress);
  ASSERT_EQ(ListView_GetItemCount(::GetDlgItem(progress_page, IDC_TABLES_DONE)), 6);
  std::vector<std::string> done;
  for (int row = 0; row < 6; ++row) done.push_back(win_wizard_driver::cell(progress_page, IDC_TABLES_DONE, row, 0));
  EXPECT_TRUE(std::is_permutation(done.begin(), done.end(), available.begin(), available.end()))
      << ::testing::PrintToString(done);
  // No profile named a log: View Log says so.
  wizard_->click(IDC_VIEW_LOG);
  EXPECT_EQ(wizard_->prompts.shown, std::vector<std::string>{std::string("message: ") + finish_model::no_log_text});
  wizard_->press(PSBTN_FINISH);
  EXPECT_TRUE(wizard_->closed());
  EXPECT_EQ(wizard_->app.run_status_code(), 0);
}

// A wrong password keeps the login page and says why; so does an empty
// database name, without trying to connect.
TEST_F(WinWizardTest, FailedLoginKeepsThePage) {
  log_in("not-the-password");
  EXPECT_EQ(wizard_->page_index(), login);
  ASSERT_EQ(wizard_->prompts.shown.size(), 1u) << shown();
  EXPECT_EQ(wizard_->prompts.shown[0].rfind("error: ", 0), 0u) << shown();
  EXPECT_NE(wizard_->prompts.shown[0].find("password"), std::string::npos) << shown();

  wizard_->prompts.shown.clear();
  wizard_->type(IDC_DATABASE, "");
  wizard_->press(PSBTN_NEXT);
  EXPECT_EQ(wizard_->page_index(), login);
  EXPECT_EQ(wizard_->prompts.shown, std::vector<std::string>{std::string("message: ") +
                                                            oracle_login_model::no_database});
  // What was typed is still there.
  EXPECT_EQ(wizard_->text(IDC_USERNAME), "scott");
}

// Cancel asks first: No keeps the wizard on its page, Yes closes it
// without converting anything.
TEST_F(WinWizardTest, CancelAsks) {
  log_in("tiger");
  ASSERT_EQ(wizard_->page_index(), folder) << shown();
  wizard_->prompts.answers = {false};
  wizard_->press(PSBTN_CANCEL);
  EXPECT_EQ(wizard_->page_index(), folder);
  EXPECT_EQ(wizard_->prompts.shown, std::vector<std::string>{std::string("question: ") + exit_question});

  wizard_->prompts.answers = {true};
  wizard_->press(PSBTN_CANCEL);
  EXPECT_TRUE(wizard_->closed());
  EXPECT_EQ(wizard_->prompts.shown.size(), 2u) << shown();
  EXPECT_EQ(count("USER_TABLES"), "0");
}

// Edit Table from a double click on a selected table: a column renamed
// and retyped, the table renamed; a row whose name is cleared keeps the
// selection. The run creates the table as edited.
TEST_F(WinWizardTest, EditTableRenameAndRetypeReachOracle) {
  walk_to_tables();
  const int lines = wizard_->row_of(IDC_AVAILABLE, "ordlines") >= 0 ? wizard_->row_of(IDC_AVAILABLE, "ordlines")
                                                                      : wizard_->row_of(IDC_AVAILABLE, "ORDLINES");
  ASSERT_GE(lines, 0) << ::testing::PrintToString(wizard_->rows(IDC_AVAILABLE));
  wizard_->select_row(IDC_AVAILABLE, lines);
  wizard_->click(IDC_ADD);
  ASSERT_EQ(wizard_->rows(IDC_SELECTED).size(), 1u);

  int selected_after_refusal = -2;
  std::string first_name;
  wizard_->when_dialog("Edit Table", [&](HWND dialog) {
    HWND list = ::GetDlgItem(dialog, IDC_FIELDS);
    wchar_t name[256] = {};
    ListView_GetItemText(list, 1, 0, name, 256);
    first_name = tk_win_utf8(name);
    ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    // An empty name is refused: the selection stays on its row.
    ::SetDlgItemTextW(dialog, IDC_FIELD_NAME, L"");
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    selected_after_refusal = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    ::SetDlgItemTextW(dialog, IDC_FIELD_NAME, L"RENAMED");
    HWND types = ::GetDlgItem(dialog, IDC_FIELD_TYPE);
    const LRESULT varchar = ::SendMessageW(types, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"VARCHAR2"));
    ::SendMessageW(types, CB_SETCURSEL, varchar, 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FIELD_TYPE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
    ::SetDlgItemTextW(dialog, IDC_LENGTH, L"60");
    ::SetDlgItemTextW(dialog, IDC_TABLE_NAME, L"LINES");
    ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  });
  wizard_->activate_row(IDC_SELECTED, 0);
  EXPECT_EQ(selected_after_refusal, 1);
  EXPECT_EQ(wizard_->prompts.shown, std::vector<std::string>{"message: Name cannot be empty. Try again."});
  // The selected list shows the table's Oracle name.
  EXPECT_NE(wizard_->rows(IDC_SELECTED)[0].find("LINES"), std::string::npos);
  run_to_finish();

  EXPECT_EQ(count("LINES"), "36");
  const std::string shape =
      sql("SELECT COLUMN_NAME, DATA_TYPE, CHAR_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'LINES'");
  EXPECT_NE(shape.find("RENAMED\tVARCHAR2\t60\n"), std::string::npos) << shape;
  EXPECT_EQ(shape.find(first_name + "\t"), std::string::npos) << shape;
  EXPECT_EQ(sql("SELECT TABLE_NAME FROM USER_TABLES").find("ORDLINES"), std::string::npos);
}

// In sync mode Edit Table offers a key mark per field: the marked field is
// the key the run syncs by, shown in the list's Key column.
TEST_F(WinWizardTest, EditTableKeyMarkIsTheSyncKey) {
  log_in("tiger");
  ASSERT_EQ(wizard_->page_index(), folder) << shown();
  wizard_->type(IDC_FOLDER, VESPER_TEST_SAMPLES);
  wizard_->click(IDC_MODE_SYNC);
  wizard_->press(PSBTN_NEXT);
  wizard_->press(PSBTN_NEXT);
  ASSERT_EQ(wizard_->page_index(), tables) << shown();
  const int customer = wizard_->row_of(IDC_AVAILABLE, "customer");
  ASSERT_GE(customer, 0) << ::testing::PrintToString(wizard_->rows(IDC_AVAILABLE));
  wizard_->select_row(IDC_AVAILABLE, customer);
  wizard_->click(IDC_ADD);

  bool key_offered = false;
  std::string key_cell;
  wizard_->when_dialog("Edit Table", [&](HWND dialog) {
    HWND box = ::GetDlgItem(dialog, IDC_FIELD_KEY);
    key_offered = ::IsWindowVisible(box);
    ::SendMessageW(box, BM_CLICK, 0, 0);
    wchar_t cell[16] = {};
    ListView_GetItemText(::GetDlgItem(dialog, IDC_FIELDS), 0, 4, cell, 16);
    key_cell = tk_win_utf8(cell);
    ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  });
  wizard_->activate_row(IDC_SELECTED, 0);
  EXPECT_TRUE(key_offered);
  EXPECT_EQ(key_cell, "key");
  run_to_finish();

  // A sync counts the record marked deleted as absent.
  EXPECT_EQ(count("CUSTOMER"), "10");
  const std::string keyed = sql("SELECT COLUMN_NAME FROM USER_IND_COLUMNS WHERE INDEX_NAME = 'SYNC_KEY'");
  EXPECT_NE(keyed.find("CUST_ID"), std::string::npos) << keyed << shown();
}

// The folder page's checks and numbers, the encoding chosen, and Help: what
// the user typed or chose reaches the settings and comes back on the way back.
TEST_F(WinWizardTest, PagesKeepWhatTheUserChoseAndOpenTheirHelp) {
  std::vector<std::wstring> opened;
  wizard_->app.shell().open_document = [&](const std::wstring& path) {
    opened.push_back(path);
    return true;
  };
  log_in("tiger");
  ASSERT_EQ(wizard_->page_index(), folder) << shown();
  wizard_->type(IDC_FOLDER, std::string(VESPER_TEST_SAMPLES) + "/CUSTOMER.DBF");
  wizard_->press(PSBTN_NEXT);
  EXPECT_EQ(wizard_->page_index(), folder);
  EXPECT_EQ(wizard_->prompts.shown, std::vector<std::string>{std::string("error: ") + folder_model::file_path});

  // Row by row leaves the batch sizes idle.
  HWND batch = ::GetDlgItem(wizard_->page(), IDC_BATCH_ROWS);
  wizard_->click(IDC_ROW_BY_ROW);
  EXPECT_FALSE(::IsWindowEnabled(batch));
  wizard_->click(IDC_ROW_BY_ROW);
  EXPECT_TRUE(::IsWindowEnabled(batch));
  wizard_->type(IDC_BATCH_ROWS, "500");
  wizard_->type(IDC_SESSIONS, "3");
  wizard_->type(IDC_FOLDER, VESPER_TEST_SAMPLES);
  wizard_->press(PSBTN_NEXT);
  ASSERT_EQ(wizard_->page_index(), encoding) << shown();
  EXPECT_EQ(wizard_->app.settings().batch_rows, 500u);
  EXPECT_EQ(wizard_->app.settings().parallel, 3u);

  HWND list = ::GetDlgItem(wizard_->page(), IDC_ENCODING);
  const LRESULT russian = ::SendMessageW(list, CB_FINDSTRING, -1, reinterpret_cast<LPARAM>(L"Russian MS-DOS"));
  ASSERT_GT(russian, 0);
  ::SendMessageW(list, CB_SETCURSEL, russian, 0);
  wizard_->press(PSBTN_HELP);
  // F1 in a field asks its page the same.
  HELPINFO f1{sizeof f1, HELPINFO_WINDOW, IDC_ENCODING, list, 0, {}};
  ::SendMessageW(wizard_->page(), WM_HELP, 0, reinterpret_cast<LPARAM>(&f1));
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(std::filesystem::path(opened[0]).filename(), "1023.html");
  EXPECT_EQ(opened[1], opened[0]);
  wizard_->press(PSBTN_NEXT);
  ASSERT_EQ(wizard_->page_index(), tables) << shown();
  EXPECT_NE(wizard_->app.settings().code_page, 0);
  wizard_->press(PSBTN_BACK);
  EXPECT_EQ(::SendDlgItemMessageW(wizard_->page(), IDC_ENCODING, CB_GETCURSEL, 0, 0), russian);
  wizard_->press(PSBTN_BACK);
  EXPECT_EQ(wizard_->text(IDC_BATCH_ROWS), "500");
  EXPECT_EQ(wizard_->text(IDC_SESSIONS), "3");
  EXPECT_EQ(wizard_->prompts.shown.size(), 1u) << shown();
}

// Add Query: a text that is no SELECT keeps the dialog, a name already
// listed brings it back with what was typed; the query is listed as one,
// stays chosen on the way back and forth, and only tables are converted.
TEST_F(WinWizardTest, QueriesAreKeptButNeverConverted) {
  walk_to_tables();
  wizard_->select_row(IDC_AVAILABLE, wizard_->row_of(IDC_AVAILABLE, "supplier"));
  wizard_->click(IDC_ADD);
  std::string reopened_with;
  wizard_->when_dialog("Add Query", [&](HWND dialog) {
    ::SetDlgItemTextW(dialog, IDC_QUERY_NAME, L"supplier");
    ::SetDlgItemTextW(dialog, IDC_QUERY_TEXT, L"  with x as (select 1 from dual) select * from x");
    ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ::SetDlgItemTextW(dialog, IDC_QUERY_TEXT, L"\r\n select SUPP_ID from SUPPLIER");
    wizard_->when_dialog("Add Query", [&](HWND again) {
      wchar_t name[64] = {};
      ::GetDlgItemTextW(again, IDC_QUERY_NAME, name, 64);
      reopened_with = tk_win_utf8(name);
      ::SetDlgItemTextW(again, IDC_QUERY_NAME, L"IDS");
      ::SendMessageW(::GetDlgItem(again, IDOK), BM_CLICK, 0, 0);
    });
    ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  });
  wizard_->click(IDC_ADD_QUERY);
  wizard_->pump_for(300);
  EXPECT_EQ(reopened_with, "supplier");
  EXPECT_EQ(wizard_->prompts.shown, (std::vector<std::string>{std::string("error: ") + query_model::not_select,
                                                              std::string("message: ") +
                                                                  tables_model::duplicate_name}));
  EXPECT_EQ(wizard_->rows(IDC_SELECTED), (std::vector<std::string>{"supplier", "IDS (query)"}));

  wizard_->press(PSBTN_BACK);
  wizard_->press(PSBTN_NEXT);
  ASSERT_EQ(wizard_->page_index(), tables);
  EXPECT_EQ(wizard_->rows(IDC_SELECTED), (std::vector<std::string>{"supplier", "IDS (query)"}));
  run_to_finish();
  EXPECT_EQ(count("SUPPLIER"), "5");
  EXPECT_EQ(count("USER_TABLES"), "1");
}

// Save Settings on the finish page, then the saved profile on the command
// line: the wizard connects and converts at once, with only the progress
// and finish pages, and its status is the run's.
TEST_F(WinWizardTest, QuickLaunchConvertsWithTheSavedProfile) {
  walk_to_tables();
  wizard_->select_row(IDC_AVAILABLE, wizard_->row_of(IDC_AVAILABLE, "supplier"));
  wizard_->click(IDC_ADD);
  ASSERT_EQ(wizard_->rows(IDC_SELECTED).size(), 1u);
  run_to_finish();
  const std::string profile = (root_ / "job").string();
  ASSERT_TRUE(wizard_->app.finish_page()->store_profile(profile)) << shown();
  wizard_->press(PSBTN_FINISH);
  wizard_.reset();

  ASSERT_NO_FATAL_FAILURE(new_emulation("second"));
  wizard_ = std::make_unique<win_wizard_driver>(std::string("HKEY_CURRENT_USER\\") + settings_key_);
  // The Load dialog's filter shows it: the profiles' extension was added.
  wizard_->open({profile + ".vpx"});
  ASSERT_FALSE(wizard_->closed()) << shown();
  EXPECT_EQ(PropSheet_IndexToHwnd(wizard_->sheet, 2), nullptr);
  ASSERT_TRUE(wizard_->pump_until([&] { return wizard_->page_index() == 1; }, run_timeout_ms)) << shown();
  EXPECT_EQ(count("SUPPLIER"), "5");
  EXPECT_EQ(count("USER_TABLES"), "1");
  wizard_->press(PSBTN_FINISH);
  EXPECT_EQ(wizard_->app.run_status_code(), 0);
}

// Test Connection tries the typed fields on a connection of its own, says
// how it went (the server's version, or Oracle's reason) and stays; Next
// then connects the wizard itself.
TEST_F(WinWizardTest, TestConnectionSaysHowItWentAndStays) {
  wizard_->press(PSBTN_NEXT);
  ASSERT_EQ(wizard_->page_index(), login);
  wizard_->type(IDC_DATABASE, "XE");
  wizard_->type(IDC_USERNAME, "scott");
  wizard_->type(IDC_PASSWORD, "tiger");
  wizard_->click(IDC_TEST_CONNECTION);
  ASSERT_EQ(wizard_->prompts.shown.size(), 1u) << shown();
  EXPECT_EQ(wizard_->prompts.shown[0].rfind(std::string("message: ") + oracle_login_model::connection_succeeded +
                                                ".\n\nOracle Database",
                                            0),
            0u)
      << shown();
  EXPECT_EQ(wizard_->page_index(), login);
  EXPECT_FALSE(win_wizard_probe::connected(wizard_->app.converter()));

  wizard_->prompts.shown.clear();
  wizard_->type(IDC_PASSWORD, "wrong");
  wizard_->click(IDC_TEST_CONNECTION);
  EXPECT_EQ(wizard_->prompts.shown, std::vector<std::string>{"error: Invalid user name or password."});
  EXPECT_EQ(wizard_->page_index(), login);

  wizard_->prompts.shown.clear();
  wizard_->type(IDC_PASSWORD, "tiger");
  wizard_->press(PSBTN_NEXT);
  EXPECT_EQ(wizard_->page_index(), folder) << shown();
  EXPECT_TRUE(wizard_->prompts.shown.empty()) << shown();
  EXPECT_TRUE(win_wizard_probe::connected(wizard_->app.converter()));
}

// Each table shows its record count beside its name. Check asks for a
// table first; then it shows the selected tables' pre-flight report in a
// read-only window whose Copy copies it, and Oracle is left unchanged.
TEST_F(WinWizardTest, RecordCountsAndCheckShowTheChosenTables) {
  walk_to_tables();
  const int customer = wizard_->row_of(IDC_AVAILABLE, "customer");
  ASSERT_GE(customer, 0) << ::testing::PrintToString(wizard_->rows(IDC_AVAILABLE));
  EXPECT_EQ(win_wizard_driver::cell(wizard_->page(), IDC_AVAILABLE, customer, 1), "11 records");
  EXPECT_EQ(win_wizard_driver::cell(wizard_->page(), IDC_AVAILABLE, wizard_->row_of(IDC_AVAILABLE, "ordlines"), 1),
            "36 records");
  wizard_->click(IDC_CHECK);
  EXPECT_EQ(wizard_->prompts.shown, std::vector<std::string>{std::string("message: ") + check_model::nothing_chosen});
  wizard_->prompts.shown.clear();

  wizard_->select_row(IDC_AVAILABLE, customer);
  wizard_->click(IDC_ADD);
  EXPECT_EQ(win_wizard_driver::cell(wizard_->page(), IDC_SELECTED, 0, 1), "11 records");
  text_window_seen seen;
  read_text_window(*wizard_, tk_win_utf8(wizard_->app.shell().own_boxes().caption(check_model::title)), seen);
  wizard_->click(IDC_CHECK);
  ASSERT_TRUE(seen.opened) << shown();
  EXPECT_TRUE(wizard_->prompts.shown.empty()) << shown();
  EXPECT_TRUE(seen.read_only);
  const std::string report = without_returns(seen.text);
  EXPECT_NE(report.find("\nTable customer: ok\n"), std::string::npos) << report;
  EXPECT_EQ(report.find("ordlines"), std::string::npos) << report;
  EXPECT_EQ(without_returns(seen.copied), report);
  EXPECT_EQ(wizard_->page_index(), tables);
  EXPECT_EQ(count("USER_TABLES"), "0");
}

// A quick launch of a profile with a log file: the progress page lists
// each table done with its records and how it ended, and View Log on the
// finish page shows the log as the file holds it.
TEST_F(WinWizardTest, TablesDoneAndTheLogAreShown) {
  wizard_.reset();
  const std::filesystem::path log = root_ / "vesper.log";
  const std::filesystem::path profile = root_ / "logged.vpx";
  ASSERT_TRUE(win_wizard_probe::write_profile(profile, VESPER_TEST_SAMPLES, {u"orders", u"customer"}, log));
  wizard_ = std::make_unique<win_wizard_driver>(std::string("HKEY_CURRENT_USER\\") + settings_key_);
  wizard_->open({profile.string()});
  ASSERT_FALSE(wizard_->closed()) << shown();
  ASSERT_TRUE(wizard_->pump_until([&] { return wizard_->page_index() == 1; }, run_timeout_ms)) << shown();
  // The quick launch's pages: progress, then finish.
  const HWND progress_page = PropSheet_IndexToHwnd(wizard_->sheet, 0);
  ASSERT_EQ(ListView_GetItemCount(::GetDlgItem(progress_page, IDC_TABLES_DONE)), 2);
  const auto done = [&](int row, int column) {
    return win_wizard_driver::cell(progress_page, IDC_TABLES_DONE, row, column);
  };
  EXPECT_EQ(done(0, 0), "customer");
  EXPECT_EQ(done(0, 1), "11 of 11");
  EXPECT_EQ(done(0, 2).rfind("done in 0:0", 0), 0u) << done(0, 2);
  EXPECT_EQ(done(1, 0), "orders");
  EXPECT_EQ(done(1, 1), "14 of 14");

  text_window_seen seen;
  read_text_window(*wizard_, log.string(), seen);
  wizard_->click(IDC_VIEW_LOG);
  ASSERT_TRUE(seen.opened) << shown();
  EXPECT_TRUE(seen.read_only);
  std::ifstream file(log, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(written.find("customer"), std::string::npos);
  EXPECT_EQ(without_returns(seen.text), without_returns(written));
  wizard_->press(PSBTN_FINISH);
  EXPECT_EQ(wizard_->app.run_status_code(), 0);
}

}  // namespace
