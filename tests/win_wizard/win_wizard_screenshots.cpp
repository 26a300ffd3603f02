// Shows every page and dialog of the Windows wizard, one after the other,
// for scripts/win-wizard-screenshots.sh to photograph: before each picture
// it writes FOLDER/NAME.ready and waits for FOLDER/NAME.done. The pages are
// walked against the emulation as a user would, with the wizard's own
// message boxes. Not a test: a person looks at the pictures.
//   win_wizard_screenshots FOLDER SAMPLES
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "check_model.hpp"
#include "dbf_writer.hpp"
#include "tk_log_file.hpp"
#include "tk_win_text.hpp"
#include "win_connecting_dialog.hpp"
#include "win_continue_dialog.hpp"
#include "win_error_dialog.hpp"
#include "win_finish_page.hpp"
#include "win_resource.h"
#include "win_wizard_driver.hpp"
#include "win_wizard_probe.hpp"

namespace {

std::filesystem::path folder;

// Waits without pumping: the windows stay as they were drawn.
void photograph(const std::string& name) {
  std::ofstream(folder / (name + ".ready")).put('\n');
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!std::filesystem::exists(folder / (name + ".done")) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::printf("%s\n", name.c_str());
  std::fflush(stdout);
}

// A window that keeps changing (the progress page during a run) is taken
// while its thread goes on handling messages: Wine hands what a window
// painted to the screen only then, and a thread that only waited showed a
// blank page.
void photograph_live(win_wizard_driver& wizard, const std::string& name) {
  std::ofstream(folder / (name + ".ready")).put('\n');
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!std::filesystem::exists(folder / (name + ".done")) && std::chrono::steady_clock::now() < end)
    wizard.pump_for(50);
  std::printf("%s\n", name.c_str());
  std::fflush(stdout);
}

// A dialog's messages handled a while: Wine shows what a window painted
// only once its thread handles messages again.
void settle_dialog() {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  while (std::chrono::steady_clock::now() < end) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Photographs the next window titled `title` (having the control `button`)
// and closes it with `button`.
void photograph_dialog(win_wizard_driver& wizard, const std::string& title, const std::string& name, int button) {
  wizard.when_dialog(
      title,
      [name, button](HWND dialog) {
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        settle_dialog();
        photograph(name);
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      },
      button);
}

// The samples and a large table, last in every order, so that the progress
// page has tables done while it goes on.
std::filesystem::path samples_with_a_large_table(const std::filesystem::path& work, const std::string& samples) {
  const std::filesystem::path copy = work / "samples";
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work);
  std::filesystem::copy(samples, copy, std::filesystem::copy_options::recursive);
  dbf_writer large(0x03);
  large.field(u"ID", 'N', 10).field(u"NAME", 'C', 30);
  for (int i = 1; i <= 100000; ++i) large.record({dbf_cell::integer(i), dbf_cell::text(u"a record")});
  large.write(copy, "ZBIG.DBF");
  return copy;
}

void add_table(win_wizard_driver& wizard, const std::string& name) {
  wizard.select_row(IDC_AVAILABLE, wizard.row_of(IDC_AVAILABLE, name));
  wizard.click(IDC_ADD);
}

void settle(win_wizard_driver& wizard, const std::string& name) {
  wizard.pump_for(300);
  photograph(name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: win_wizard_screenshots FOLDER SAMPLES\n");
    return 2;
  }
  folder = argv[1];
  const std::filesystem::path work = std::filesystem::temp_directory_path() / "vesper-win-screenshots";
  const std::filesystem::path samples = samples_with_a_large_table(work, argv[2]);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_LINK_CLASS};
  ::InitCommonControlsEx(&controls);
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tolvane\\VesperScreenshots");
  win_wizard_driver wizard("HKEY_CURRENT_USER\\Software\\Tolvane\\VesperScreenshots", true);
  wizard.open();
  // The run's trace goes to a log file, as a profile's "logfile" makes it.
  const std::string log = (work / "vesper.log").string();
  tk_use_log_file(log);
  wizard.app.settings().log_file = log;
  settle(wizard, "01-welcome");
  wizard.press(PSBTN_NEXT);
  wizard.type(IDC_DATABASE, "XE");
  wizard.type(IDC_USERNAME, "scott");
  wizard.type(IDC_PASSWORD, "tiger");
  settle(wizard, "02-oracle");
  photograph_dialog(wizard, "Vesper 3.3 Message", "02b-test-connection", IDOK);
  wizard.click(IDC_TEST_CONNECTION);
  // The connecting window, held open while it is photographed.
  win_connecting_dialog(wizard.app.shell().own_boxes(), [] { photograph("03-connecting"); }).run(wizard.sheet);
  wizard.press(PSBTN_NEXT);
  settle(wizard, "04-folder");
  photograph_dialog(wizard, "Vesper 3.3 Message", "05-message-no-folder", IDOK);
  wizard.press(PSBTN_NEXT);
  wizard.type(IDC_FOLDER, samples.string());
  wizard.press(PSBTN_NEXT);
  settle(wizard, "06-encoding");
  wizard.press(PSBTN_NEXT);
  for (const char* name : {"customer", "orders", "zbig"}) add_table(wizard, name);
  settle(wizard, "07-tables");
  photograph_dialog(wizard, tk_win_utf8(wizard.app.shell().own_boxes().caption(check_model::title)), "07b-check",
                    IDCANCEL);
  wizard.click(IDC_CHECK);
  photograph_dialog(wizard, "Add Query", "08-query", IDCANCEL);
  wizard.click(IDC_ADD_QUERY);
  photograph_dialog(wizard, "Edit Table", "09-edit-table", IDCANCEL);
  wizard.activate_row(IDC_SELECTED, 0);
  {
    const win_boxes& boxes = wizard.app.shell().own_boxes();
    photograph_dialog(wizard, "Vesper 3.3 Error", "10-internal-error", IDOK);
    win_error_dialog(boxes, "Internal error: the table model lost its schema (an example of the text shown).")
        .show(wizard.sheet);
    photograph_dialog(wizard, "Vesper 3.3 Error", "11-continue-error", IDCANCEL);
    win_continue_dialog(boxes, "Table ORDLINES, record 12, column PRICE: the value 1E+40 does not fit NUMBER(10,2).")
        .abort_run(wizard.sheet);
  }
  PropSheet_PressButton(wizard.sheet, PSBTN_NEXT);
  const vesper_converter& converter = wizard.app.converter();
  const bool loading_large = wizard.pump_until(
      [&] { return win_wizard_probe::loading(converter, u"zbig", 2000); }, 60000);
  if (!loading_large) std::fprintf(stderr, "the run ended before its picture was taken\n");
  wizard.pump_for(2 * 200);  // two of the page's ticks
  photograph_live(wizard, "12-progress");
  wizard.pump_until([&] { return wizard.page_index() == 6; }, 120000);
  settle(wizard, "13-finish");
  // The same page after a run with problems: the list, selectable, and Copy.
  wizard.app.shell().error_list().add("Table ORDLINES, record 12, column PRICE: the value 1E+40 does not fit "
                                      "NUMBER(10,2); the record was left out.");
  wizard.app.shell().error_list().add("Warning: Table CUSTOMER, column NOTES: the memo block 5121 is past the end of "
                                      "CUSTOMER.FPT; the value is empty.");
  wizard.app.shell().go_to(*wizard.app.finish_page());
  settle(wizard, "14-finish-errors");
  photograph_dialog(wizard, log, "15-log", IDCANCEL);
  wizard.click(IDC_VIEW_LOG);
  wizard.press(PSBTN_FINISH);
  // The log stays open until the program ends; the folder goes at the next start.
  // Wine's desktop window ends with status 0 whatever became of the program: this file says it went through.
  std::ofstream(folder / "finished") << "every page\n";
  return 0;
}
