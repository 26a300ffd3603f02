// Walks the wizard through every page and dialog on a real display (scripts/
// wizard-screenshots.sh starts it under Xvfb) and writes a picture of each
// page and dialog into the folder named on the command line, for a person to look at.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdio>
#include <functional>

#include "dbf_writer.hpp"
#include "dlg_error_continue.hpp"
#include "dlg_error_ex.hpp"
#include "set_query_dlg.hpp"
#include "text_window_dlg.hpp"
#include "tk_log_file.hpp"
#include "types_map_dlg.hpp"
#include "vesper_converter.hpp"
#include "wizard_fixture.hpp"
#include "wizard_shell.hpp"

namespace {

void save(const QString& folder, const QString& name, QWidget& window) {
  QTest::qWait(300);  // painted
  const QString path = folder + "/" + name + ".png";
  if (!window.grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void save(const QString& folder, const QString& name, wizard_fixture& world) {
  save(folder, name, world.app().shell());
}


// The dialogs of the tables page: a query being written, and CUSTOMER
// being edited with its CITY column selected and retyped.
void save_table_dialogs(const QString& out, wizard_fixture& world) {
  when_shown<set_query_dlg>([&](set_query_dlg& dialog) {
    dialog.findChild<QLineEdit*>("1019")->setText("big_customers");
    dialog.findChild<QPlainTextEdit*>("1020")->setPlainText(
        "SELECT CUST_ID, COMPANY\n  FROM CUSTOMER\n WHERE CREDIT > 10000");
    save(out, "8-add-query", dialog);
    dialog.reject();
  });
  QTest::mouseClick(world.control<QPushButton>(1114), Qt::LeftButton);
  auto* selected = world.control<QListWidget>(1318);
  QListWidgetItem* customer = selected->findItems("customer", Qt::MatchExactly).front();
  when_shown<types_map_dlg>([&](types_map_dlg& dialog) {
    auto* columns = dialog.findChild<QTreeWidget*>("1316");
    columns->topLevelItem(5)->setCheckState(0, Qt::Unchecked);
    columns->setCurrentItem(columns->topLevelItem(3));
    auto* types = dialog.findChild<QComboBox*>("1302");
    types->setCurrentIndex(types->findText("VARCHAR2"));
    save(out, "9-edit-table", dialog);
    dialog.reject();
  });
  selected->setCurrentItem(customer);
  const QPoint at = selected->visualItemRect(customer).center();
  QTest::mouseClick(selected->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(selected->viewport(), Qt::LeftButton, {}, at);
}

// A message box over the wizard, taken before it is answered.
void save_box(const QString& out, const QString& name, wizard_fixture& world, const std::function<void()>& open) {
  world.boxes.hold(true);
  when_shown<QMessageBox>([&](QMessageBox& box) {
    save(out, name, box);
    box.accept();
  });
  open();
  world.boxes.hold(false);
}

// Check's report of the chosen tables.
void save_check(const QString& out, wizard_fixture& world) {
  when_shown<text_window_dlg>([&](text_window_dlg& window) {
    save(out, "12-check", window);
    window.reject();
  });
  QTest::mouseClick(world.control<QPushButton>(1115), Qt::LeftButton);
}

// The log viewer of the finish page.
void save_log(const QString& out, wizard_fixture& world) {
  when_shown<text_window_dlg>([&](text_window_dlg& window) {
    save(out, "13-log", window);
    window.reject();
  });
  QTest::mouseClick(world.control<QPushButton>(1117), Qt::LeftButton);
}

// The two error dialogs, as the error handler shows them over the wizard.
void save_error_dialogs(const QString& out, const wizard_boxes& boxes) {
  dlg_error_continue item_error(boxes,
                                "customer, record #7: ORA-12899: value too large for column \"CITY\" (actual: 31, "
                                "maximum: 20)");
  item_error.show();
  save(out, "10-error-continue", item_error);
  item_error.close();
  dlg_error_ex internal(boxes, "Internal error: \ncode=2e2e5c544b2f746b5f73696e676c2e6870705c3539");
  internal.show();
  save(out, "11-internal-error", internal);
  internal.close();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: wizard_screenshots FOLDER\n");
    return 2;
  }
  const QString out = argv[1];
  wizard_process process;
  wizard_fixture world(process.handler);
  const std::filesystem::path folder = world.copy_of_samples("dbf");
  dbf_writer big(0x03);
  big.field(u"ID", 'N', 10).field(u"NAME", 'C', 30);
  for (int i = 1; i <= 100000; ++i) big.record({dbf_cell::integer(i), dbf_cell::text(u"a record")});
  // Last in every order, so that the progress page has tables done while it goes on.
  big.write(folder, "ZBIG.DBF");

  // ORDERS cannot be merged into this table: the finish page lists the error.
  world.sql("CREATE TABLE ORDERS (X NUMBER)");
  if (!world.open()) return 1;
  // The run's trace goes to a log file, as a profile's "logfile" makes it.
  const std::string log = (world.root() / "vesper.log").string();
  tk_use_log_file(log);
  world.app().settings().log_file = log;
  save(out, "1-welcome", world);
  world.press_next();
  world.fill_login();
  world.set_text(1003, "localhost");
  save(out, "2-oracle", world);
  save_box(out, "2b-test-connection", world,
           [&] { QTest::mouseClick(world.control<QPushButton>(1021), Qt::LeftButton); });
  world.press_next();
  world.set_text(1003, QString::fromStdString(folder.string()));
  world.control<QRadioButton>(1330)->setChecked(true);
  save(out, "3-settings", world);
  world.press_next();
  save(out, "4-encoding", world);
  world.press_next();
  auto* available = world.control<QListWidget>(1317);
  for (const char* name : {"customer", "orders", "zbig"}) {
    available->setCurrentItem(available->findItems(name, Qt::MatchExactly).front());
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
  }
  save(out, "5-tables", world);
  save_check(out, world);
  save_table_dialogs(out, world);
  save_error_dialogs(out, world.app().shell().boxes());
  world.press_next();
  vesper_converter& converter = world.app().converter();
  const auto loading_big = [&] {
    return converter.status().current_table() == u"zbig" && converter.status().records_done > 2000;
  };
  if (!QTest::qWaitFor(loading_big, 30000))
    std::fprintf(stderr, "the run ended before its picture was taken\n");
  save(out, "6-progress", world);
  world.wait_for_finish();
  save(out, "7-finish", world);
  save_log(out, world);
  world.press_finish();
  world.close();
  std::printf("pictures of the 7 pages and the 7 dialogs and windows written to %s\n", qPrintable(out));
  return 0;
}
