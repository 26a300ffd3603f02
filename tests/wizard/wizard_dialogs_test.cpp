// The wizard's dialogs driven through their widgets: the query dialog's
// checks and its test against the emulated server, the type-mapping
// dialog's edits, the error dialogs (clipboard, bug report, Abort, "Do not
// show this dialog box again"), and a table customised in the dialog that
// the wizard and the agent, from the saved profile, convert alike.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <functional>
#include <sstream>

#include "dbf_container_writer.hpp"
#include "dbf_database.hpp"
#include "tk_reporter.hpp"
#include "dbf_recordset.hpp"
#include "dbf_writer.hpp"
#include "dlg_error_continue.hpp"
#include "dlg_error_ex.hpp"
#include "check_model.hpp"
#include "records_delegate.hpp"
#include "set_query_dlg.hpp"
#include "text_window_dlg.hpp"
#include "types_map_dlg.hpp"
#include "udb_schema.hpp"
#include "ora_db_mutator.hpp"
#include "vesper_converter.hpp"
#include "wizard_fixture.hpp"
#include "wizard_shell.hpp"

namespace {


template <typename T>
T* child(const QWidget& parent, int id) {
  return parent.findChild<T*>(QString::number(id));
}

void click(const QWidget& parent, int id) { QTest::mouseClick(child<QPushButton>(parent, id), Qt::LeftButton); }

void double_click(QListWidget* list, const QString& entry) {
  QListWidgetItem* item = list->findItems(entry, Qt::MatchExactly).front();
  list->setCurrentItem(item);
  // The view opens an item on a double click only after a press on it.
  const QPoint at = list->visualItemRect(item).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void select_row(types_map_dlg& dialog, int row) {
  auto* list = child<QTreeWidget>(dialog, types_map_dlg::list_id);
  list->setCurrentItem(list->topLevelItem(row));
}

bool shows(const types_map_dlg& dialog, int id) { return !child<QWidget>(dialog, id)->isHidden(); }

void choose_type(types_map_dlg& dialog, const QString& type) {
  auto* types = child<QComboBox>(dialog, types_map_dlg::type_id);
  const int index = types->findText(type);
  QVERIFY2(index >= 0, qPrintable(type));
  types->setCurrentIndex(index);
}

// CUSTOMER of the samples: rows 0 CUST_ID, 1 COMPANY, 3 CITY, 5 PHONE, 7 CREDIT.
udb_schema customer_schema(const std::filesystem::path& folder) {
  tk_log_reporter reporter;
  dbf_database source(folder.u16string(), 0, reporter);
  return source.get_table(u"customer", udb_access::read)->schema;
}

// A table whose CODE column, retyped to NUMBER, cannot take the records
// whose CODE is not a number: each of those fails alone.
void write_codes(const std::filesystem::path& folder, const std::vector<std::u16string>& codes) {
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 5).field(u"CODE", 'C', 5);
  int id = 0;
  for (const std::u16string& code : codes) table.record({dbf_cell::integer(++id), dbf_cell::text(code)});
  table.write(folder, "CODES.DBF");
  dbf_writer later(0x03);
  later.field(u"ID", 'N', 5);
  later.record({dbf_cell::integer(1)});
  later.write(folder, "LATER.DBF");
}

void retype_code_to_number(vesper_converter& converter) {
  converter.customisation().table_for_update(u"codes").update_field(u"CODE", u"CODE", u"NUMBER", 0);
}

void run_codes(wizard_fixture& world, const std::filesystem::path& folder, bool resume = false) {
  QVERIFY(world.open());
  world.press_next();
  world.fill_login();
  world.press_next();
  world.set_text(1003, QString::fromStdString(folder.string()));
  world.control<QCheckBox>(1229)->setChecked(resume);
  world.press_next();
  world.press_next();
  retype_code_to_number(world.app().converter());
  QTest::mouseClick(world.control<QPushButton>(1102), Qt::LeftButton);
  world.press_next();
  QVERIFY(world.wait_for_finish());
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// What makes one Oracle table equal to another here: its columns and rows.
std::string table_picture(const wizard_fixture& world, const std::string& table) {
  return world.sql("SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE FROM USER_TAB_COLUMNS "
                   "WHERE TABLE_NAME = '" + table + "' ORDER BY COLUMN_ID") +
         world.sql("SELECT * FROM \"" + table + "\" ORDER BY 1");
}

}  // namespace

class WizardDialogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<wizard_process> process_;

 private slots:
  void initTestCase() { process_ = std::make_unique<wizard_process>(); }
  void init() { process_->handler.silent = false; }

  // OK asks for the name before it looks at the query, and stays open
  // after each message.
  void DialogQueryOkChecksTheNameFirstThenTheQuery() {
    wizard_fixture world(process_->handler);
    wizard_shell shell;  // never shown
    set_query_dlg dialog(shell, nullptr, u"", u"WITH x", nullptr);
    dialog.show();
    click(dialog, 1);
    child<QLineEdit>(dialog, set_query_dlg::name_id)->setText("big_orders");
    click(dialog, 1);
    child<QPlainTextEdit>(dialog, set_query_dlg::text_id)->setPlainText("");
    click(dialog, 1);
    QCOMPARE(world.boxes.texts(), QString("Table name is empty!\nThe query must start with SELECT.\nQuery is empty!"));
    QVERIFY(dialog.isVisible());
    child<QPlainTextEdit>(dialog, set_query_dlg::text_id)->setPlainText("\n  select * from ORDERS");
    click(dialog, 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.name() == u"big_orders");
    QVERIFY(dialog.query() == u"select * from ORDERS");
  }

  // Add Query on the tables page: Test Query asks the connected server (a
  // missing table is told in Oracle's words, a wrong wording as a syntax
  // error), a name the lists hold is refused and the dialog comes back with
  // the entered text, and the query reaches the converter (and so the
  // profile), marked as a query in the list.
  void DialogQueryFromTheTablesPageIsTestedAndKeptUnderANewName() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    QStringList reopened;
    when_shown<set_query_dlg>([&](set_query_dlg& dialog) {
      child<QLineEdit>(dialog, set_query_dlg::name_id)->setText("customer");
      child<QPlainTextEdit>(dialog, set_query_dlg::text_id)->setPlainText("SELECT * FROM NO_SUCH_TABLE");
      click(dialog, set_query_dlg::test_id);
      child<QPlainTextEdit>(dialog, set_query_dlg::text_id)->setPlainText("SELECT CUST_ID CUSTOMER WHERE");
      click(dialog, set_query_dlg::test_id);
      child<QPlainTextEdit>(dialog, set_query_dlg::text_id)->setPlainText("SELECT 1 FROM DUAL");
      click(dialog, set_query_dlg::test_id);
      when_shown<set_query_dlg>([&](set_query_dlg& again) {
        reopened << child<QLineEdit>(again, set_query_dlg::name_id)->text()
                 << child<QPlainTextEdit>(again, set_query_dlg::text_id)->toPlainText();
        child<QLineEdit>(again, set_query_dlg::name_id)->setText("one");
        click(again, 1);
      });
      click(dialog, 1);
    });
    QTest::mouseClick(world.control<QPushButton>(1114), Qt::LeftButton);
    QCOMPARE(world.boxes.seen().size(), std::size_t(4));
    QCOMPARE(world.boxes.seen()[0].text, QString("The query cannot be run:\nORA-00942: table or view does not exist"));
    const QString syntax = QString::fromStdString(query_model::syntax_error()) + "\n\nORA-00";
    QVERIFY2(world.boxes.seen()[1].text.startsWith(syntax), qPrintable(world.boxes.seen()[1].text));
    QCOMPARE(world.boxes.seen()[2].text, QString("The query is correct."));
    QCOMPARE(world.boxes.seen()[3].text, QString("Duplicate table name. Try again."));
    QCOMPARE(reopened, (QStringList{"customer", "SELECT 1 FROM DUAL"}));
    QCOMPARE(world.control<QListWidget>(1318)->item(0)->text(), QString("one (query)"));
    world.boxes.plan("Yes");
    world.press_next();
    QVERIFY(world.wait_for_finish());
    const auto& queries = world.app().settings().table_queries;
    QVERIFY(queries.count(u"one") && queries.at(u"one") == u"SELECT 1 FROM DUAL");
    QVERIFY(world.tables().empty());  // queries are kept, not converted
  }

  // Unchecking drops a column only on OK; Cancel records nothing.
  void DialogTypesUncheckedColumnIsDroppedOnOkAndCancelKeepsTheTable() {
    wizard_fixture world(process_->handler);
    const udb_schema schema = customer_schema(world.copy_of_samples("dbf"));
    ora_db_mutator converter;  // the customisation the dialog edits
    wizard_shell shell;  // never shown
    {
      types_map_dlg dialog(shell, converter, u"customer", schema);
      dialog.show();
      child<QTreeWidget>(dialog, types_map_dlg::list_id)->topLevelItem(5)->setCheckState(0, Qt::Unchecked);
      click(dialog, 2);
    }
    QVERIFY(converter.table(u"customer") == nullptr);
    {
      types_map_dlg dialog(shell, converter, u"customer", schema);
      dialog.show();
      select_row(dialog, 3);  // looking at rows changes nothing
      click(dialog, 1);
    }
    QVERIFY(converter.table(u"customer") == nullptr);
    {
      types_map_dlg dialog(shell, converter, u"customer", schema);
      dialog.show();
      child<QTreeWidget>(dialog, types_map_dlg::list_id)->topLevelItem(5)->setCheckState(0, Qt::Unchecked);
      click(dialog, 1);
    }
    udb_schema created = schema;
    udb_indexes indexes;
    QVERIFY(converter.modify1(u"customer", created, indexes) == u"customer");
    QCOMPARE(created.size(), schema.size() - 1);
    for (std::size_t i = 0; i < created.size(); ++i) QVERIFY(created[i].name != u"PHONE");
    // Opened again, the dropped column is shown unchecked.
    types_map_dlg dialog(shell, converter, u"customer", schema);
    QCOMPARE(child<QTreeWidget>(dialog, types_map_dlg::list_id)->topLevelItem(5)->checkState(0), Qt::Unchecked);
  }

  // The types file decides the size fields; a cleared name keeps the row.
  void DialogTypesSizeFieldsFollowTheTypeAndAnEmptyNameKeepsTheRow() {
    wizard_fixture world(process_->handler);
    const udb_schema schema = customer_schema(world.copy_of_samples("dbf"));
    ora_db_mutator converter;  // the customisation the dialog edits
    wizard_shell shell;  // never shown
    types_map_dlg dialog(shell, converter, u"customer", schema);
    dialog.show();
    select_row(dialog, 3);  // CITY, a text column
    QCOMPARE(child<QLineEdit>(dialog, types_map_dlg::length_id)->text(), QString("20"));
    QVERIFY(shows(dialog, types_map_dlg::length_id) && !shows(dialog, types_map_dlg::precision_id));
    choose_type(dialog, "CLOB");
    QVERIFY(!shows(dialog, types_map_dlg::length_id) && !shows(dialog, types_map_dlg::length_label_id));
    choose_type(dialog, "VARCHAR2");
    QVERIFY(shows(dialog, types_map_dlg::length_id));
    select_row(dialog, 0);  // CUST_ID, NUMBER(11,0)
    QVERIFY(!shows(dialog, types_map_dlg::length_id));
    QVERIFY(shows(dialog, types_map_dlg::precision_id) && shows(dialog, types_map_dlg::scale_label_id));
    QCOMPARE(child<QLineEdit>(dialog, types_map_dlg::precision_id)->text(), QString("11"));
    child<QLineEdit>(dialog, types_map_dlg::field_name_id)->clear();
    select_row(dialog, 1);
    QCOMPARE(world.boxes.texts(), QString(types_map_dlg::empty_name));
    QCOMPARE(dialog.current_row(), 0);
    // A length the type needs cannot be left empty either.
    child<QLineEdit>(dialog, types_map_dlg::field_name_id)->setText("ID");
    select_row(dialog, 3);
    QCOMPARE(dialog.current_row(), 3);
    child<QLineEdit>(dialog, types_map_dlg::length_id)->clear();
    click(dialog, 1);
    QVERIFY(dialog.isVisible());
    QVERIFY(world.boxes.texts().endsWith(types_map_dlg::bad_length));
  }

  // After the empty-name message the highlight stays on the row whose fields
  // are shown, for a click too; a rename refits the columns; the field panel
  // keeps its height between a number and a text column.
  void DialogTypesEmptyNameKeepsTheHighlightAndTheListFitsItsNames() {
    wizard_fixture world(process_->handler);
    const udb_schema schema = customer_schema(world.copy_of_samples("dbf"));
    ora_db_mutator converter;
    wizard_shell shell;  // never shown
    types_map_dlg dialog(shell, converter, u"customer", schema);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = child<QTreeWidget>(dialog, types_map_dlg::list_id);
    QWidget* panel = child<QLineEdit>(dialog, types_map_dlg::field_name_id)->parentWidget();
    QCoreApplication::processEvents();
    const int panel_height = panel->height();  // CUST_ID, NUMBER(11,0): precision and scale
    select_row(dialog, 3);                      // CITY, NVARCHAR2(20): a length
    QCoreApplication::processEvents();
    QCOMPARE(panel->height(), panel_height);
    const QString long_name = "NAME_OF_THE_CITY_WHERE_THE_CUSTOMER_LIVES";
    child<QLineEdit>(dialog, types_map_dlg::field_name_id)->setText(long_name);
    select_row(dialog, 1);
    QVERIFY(list->columnWidth(0) > list->fontMetrics().horizontalAdvance(long_name));
    child<QLineEdit>(dialog, types_map_dlg::field_name_id)->clear();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(5)).center());
    QCOMPARE(world.boxes.texts(), QString(types_map_dlg::empty_name));
    QCOMPARE(dialog.current_row(), 1);
    QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(1)});
  }

  // Each table shows its record count beside its name. Check shows the
  // pre-flight report of the selected tables with this session's changes,
  // in a window to read and copy, and changes nothing in Oracle; with no
  // table selected it says to choose some.
  void DialogCheckShowsThePreflightReportOfTheChosenTables() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    auto* available = world.control<QListWidget>(1317);
    QListWidgetItem* customer = available->findItems("customer", Qt::MatchExactly).front();
    QCOMPARE(customer->data(records_delegate::records_role).toString(), QString("11 records"));
    QCOMPARE(available->findItems("ordlines", Qt::MatchExactly).front()->data(records_delegate::records_role),
             QVariant("36 records"));
    QTest::mouseClick(world.control<QPushButton>(1115), Qt::LeftButton);
    QCOMPARE(world.boxes.texts(), QString(check_model::nothing_chosen));
    world.boxes.forget();

    available->setCurrentItem(customer);
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    QCOMPARE(world.control<QListWidget>(1318)->item(0)->data(records_delegate::records_role), QVariant("11 records"));
    world.app().converter().customisation().table_for_update(u"customer").new_name = u"CLIENTS";
    QString report, copied;
    bool read_only = false;
    when_shown<text_window_dlg>([&](text_window_dlg& window) {
      report = window.text_view()->toPlainText();
      read_only = window.text_view()->isReadOnly();
      QGuiApplication::clipboard()->clear();
      click(window, text_window_dlg::copy_id);
      copied = QGuiApplication::clipboard()->text();
      window.reject();
    });
    QTest::mouseClick(world.control<QPushButton>(1115), Qt::LeftButton);
    QVERIFY(world.boxes.seen().empty());
    QVERIFY(read_only);
    QVERIFY2(report.contains("CLIENTS") && report.contains("customer"), qPrintable(report));
    QVERIFY2(!report.contains("ordlines") && !report.contains("could not be made"), qPrintable(report));
    QCOMPARE(copied, report);
    QVERIFY(world.tables().empty());
    QCOMPARE(world.page()->subTitle(), QString("Select tables to convert"));
  }

  // Edit Table is as large as its columns need, within the screen, with OK
  // and Cancel in reach. Also run at QT_SCALE_FACTOR=2 (WizardDialogsScaled).
  void DialogTypesEditTableFitsItsColumnsAndTheScreen() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    auto* available = world.control<QListWidget>(1317);
    available->setCurrentItem(available->findItems("customer", Qt::MatchExactly).front());
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    QStringList unseen;
    when_shown<types_map_dlg>([&](types_map_dlg& dialog) {
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      const QRect room = dialog.screen()->availableGeometry();
      for (int id : {1, 2}) {
        const QPushButton* button = child<QPushButton>(dialog, id);
        if (!room.contains(QRect(button->mapToGlobal(QPoint()), button->size()))) unseen << button->text();
      }
      auto* list = child<QTreeWidget>(dialog, types_map_dlg::list_id);
      if (list->horizontalScrollBar()->maximum() > 0) unseen << "columns";
      click(dialog, 2);
    });
    double_click(world.control<QListWidget>(1318), "customer");
    QVERIFY2(unseen.isEmpty(), qPrintable(unseen.join(", ")));
  }

  // Enter and F2 on a selected table open Edit Table as a double click does,
  // without starting the run; a table renamed there shows its new name.
  void DialogTypesOpensWithEnterAndF2() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    auto* available = world.control<QListWidget>(1317);
    available->setCurrentItem(available->findItems("customer", Qt::MatchExactly).front());
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    auto* selected = world.control<QListWidget>(1318);
    selected->setCurrentRow(0);
    QStringList names;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_F2}) {
      when_shown<types_map_dlg>([&](types_map_dlg& dialog) {
        auto* name = child<QLineEdit>(dialog, types_map_dlg::table_name_id);
        names << name->text();
        name->setText("CLIENTS");
        click(dialog, 1);
      });
      QTest::keyClick(selected, key);
      QCOMPARE(selected->item(0)->text(), QString("CLIENTS (customer)"));
    }
    QCOMPARE(names, (QStringList{"customer", "CLIENTS"}));
    QCOMPARE(world.page()->subTitle(), QString("Select tables to convert"));
    QVERIFY(world.tables().empty());
  }

  // A logical column is offered the types that hold its values (1 and 0,
  // or 'T' and 'F' "as is"), and a size that cannot hold them is refused.
  void DialogTypesALogicalColumnIsOfferedTypesThatHoldItsValues() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path folder = world.folder("dbf");
    dbf_writer flags(0x03);
    flags.field(u"ID", 'N', 3).field(u"PAID", 'L');
    flags.record({dbf_cell::integer(1), dbf_cell::boolean(true)});
    flags.write(folder, "FLAGS.DBF");
    tk_log_reporter reporter;
    const udb_schema schema = dbf_database(folder.u16string(), 0, reporter).get_table(u"flags", udb_access::read)->schema;
    ora_db_mutator converter;
    wizard_shell shell;  // never shown
    auto offered = [](types_map_dlg& dialog) {
      QStringList types;
      auto* list = child<QComboBox>(dialog, types_map_dlg::type_id);
      for (int i = 0; i < list->count(); ++i) types << list->itemText(i);
      return types;
    };
    {
      types_map_dlg dialog(shell, converter, u"flags", schema, true);
      dialog.show();
      select_row(dialog, 1);
      QCOMPARE(offered(dialog), QStringList({"CHAR(1)", "VARCHAR2", "NVARCHAR2", "NCHAR"}));
    }
    types_map_dlg dialog(shell, converter, u"flags", schema, false);
    dialog.show();
    select_row(dialog, 1);
    QCOMPARE(offered(dialog), QStringList({"NUMBER(3,0)", "NUMBER(5,0)", "NUMBER(11,0)", "NUMBER", "CHAR", "VARCHAR2"}));
    choose_type(dialog, "NUMBER(5,0)");
    child<QLineEdit>(dialog, types_map_dlg::precision_id)->setText("2");
    child<QLineEdit>(dialog, types_map_dlg::scale_id)->setText("2");
    click(dialog, 1);
    QVERIFY(dialog.isVisible());
    QCOMPARE(world.boxes.texts(), QString(types_map_dlg::logical_refused));
    QVERIFY(converter.table(u"flags") == nullptr);
  }

  void DialogErrorInternalCopiesItsTextAndSendsTheBugReport() {
    wizard_fixture world(process_->handler);
    const QString text = "Internal error: \ncode=615c31";
    const wizard_boxes no_window;
    {
      dlg_error_ex dialog(no_window, text.toStdString());
      dialog.show();
      QCOMPARE(dialog.windowTitle(), QString("Error"));  // no wizard window yet
      QCOMPARE(child<QLabel>(dialog, 1320)->text(), text);
      QVERIFY(child<QPushButton>(dialog, dlg_error_ex::send_bug)->isDefault());
      click(dialog, dlg_error_ex::copy);
      QCOMPARE(dialog.result(), int(dlg_error_ex::copy));
      QCOMPARE(QGuiApplication::clipboard()->text(), text);
    }
    // The mail program is handed the report.
    const std::filesystem::path bin = world.folder("bin");
    const std::filesystem::path mail = world.root() / "mail.txt";
    {
      std::ofstream script(bin / "xdg-email");
      script << "#!/bin/sh\nprintf '%s' \"$1\" > '" << mail.string() << "'\n";
    }
    std::filesystem::permissions(bin / "xdg-email", std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.string()) + ":" + path);
    {
      dlg_error_ex dialog(no_window, "Internal error: \ncode=615c31");
      dialog.show();
      click(dialog, dlg_error_ex::send_bug);
      QCOMPARE(dialog.result(), int(dlg_error_ex::send_bug));
    }
    qputenv("PATH", path);
    const std::string url = read_file(mail);
    QVERIFY2(url.rfind("mailto:support@tolvane.example?subject=Bug%20report%20on%20&body=Internal%20error%3A%20%0Acode%3D615c31",
                       0) == 0, url.c_str());
  }

  // Abort at a failing record ends the run there: what is committed stays,
  // whole (here nothing: the batch at hand is rolled back, so the table and
  // the journal agree); the failing record and every later table are not in.
  void DialogErrorAbortEndsTheRunWithNothingHalfWritten() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path folder = world.folder("codes");
    write_codes(folder, {u"1", u"2", u"x", u"4"});
    world.boxes.plan("Abort");
    run_codes(world, folder);
    QCOMPARE(world.boxes.seen().size(), std::size_t(1));
    QCOMPARE(world.boxes.seen().front().caption, QString("Vesper 3.3 Error"));
    QCOMPARE(world.boxes.seen().front().text,
             QString("codes, record #3: Data conversion is not supported for given type mapping"));
    QCOMPARE(world.sql("SELECT \"ID\", \"CODE\" FROM \"CODES\" ORDER BY 1"), std::string("ID\tCODE\n"));
    QCOMPARE(world.tables(), std::string("CODES\nVESPER$JOURNAL\n"));  // LATER not begun; resumable
    QCOMPARE(world.control<QPlainTextEdit>(1016)->toPlainText(), world.boxes.seen().front().text);
    world.press_finish();
    world.close();
    // "Resume an interrupted run" goes on after the last committed record.
    world.boxes.forget();
    world.boxes.plan("Continue");
    run_codes(world, folder, true);
    QCOMPARE(world.sql("SELECT \"ID\" FROM \"CODES\" ORDER BY 1"), std::string("ID\n1\n2\n4\n"));
    QCOMPARE(world.tables(), std::string("CODES\nLATER\n"));
  }

  // "Do not show this dialog box again" silences the later errors of the
  // run; they still reach the finish page, and the run goes on.
  void DialogErrorDoNotShowAgainSilencesLaterErrorsButListsThem() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path folder = world.folder("codes");
    write_codes(folder, {u"1", u"x", u"y", u"4", u"z"});
    world.boxes.plan(QString(box_answerer::checked_prefix) + "Continue");
    run_codes(world, folder);
    QCOMPARE(world.boxes.seen().size(), std::size_t(1));
    QVERIFY(process_->handler.silent);
    QCOMPARE(world.count("CODES"), std::string("2"));
    QCOMPARE(world.count("LATER"), std::string("1"));
    const QString list = world.control<QPlainTextEdit>(1016)->toPlainText();
    for (const char* record : {"#2", "#3", "#5"})
      QVERIFY2(list.contains(QString("codes, record ") + record + ": Data conversion"), qPrintable(list));
  }

  // A table renamed, one column retyped and one dropped in the dialog; the
  // profile saved on the finish page gives the agent the same table.
  void DialogTypesCustomisedTableIsTheSameFromTheWizardAndTheAgentsProfile() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path profile = world.root() / "clients.vpx";
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    auto* available = world.control<QListWidget>(1317);
    available->setCurrentItem(available->findItems("customer", Qt::MatchExactly).front());
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    when_shown<types_map_dlg>([](types_map_dlg& dialog) {
      child<QLineEdit>(dialog, types_map_dlg::table_name_id)->setText("CLIENTS");
      select_row(dialog, 3);  // CITY: NVARCHAR2(20) -> VARCHAR2(32)
      choose_type(dialog, "VARCHAR2");
      child<QLineEdit>(dialog, types_map_dlg::length_id)->setText("32");
      child<QTreeWidget>(dialog, types_map_dlg::list_id)->topLevelItem(5)->setCheckState(0, Qt::Unchecked);
      select_row(dialog, 0);
      click(dialog, 1);
    });
    double_click(world.control<QListWidget>(1318), "customer");
    QVERIFY(world.app().converter().customisation().table(u"customer"));
    world.press_next();
    QVERIFY(world.wait_for_finish());
    QVERIFY(world.boxes.seen().empty());
    world.boxes.plan(QString::fromStdString(profile.string()));
    QTest::mouseClick(world.control<QPushButton>(1116), Qt::LeftButton);
    QVERIFY(std::filesystem::exists(profile));
    world.press_finish();
    world.close();
    QCOMPARE(world.tables(), std::string("CLIENTS\n"));
    const std::string from_wizard = table_picture(world, "CLIENTS");
    QVERIFY2(from_wizard.find("CITY\tVARCHAR2\t128\t") != std::string::npos, from_wizard.c_str());
    QVERIFY(from_wizard.find("PHONE") == std::string::npos);
    world.sql("DROP TABLE \"CLIENTS\"");

    QProcess agent;
    agent.start(wizard_paths::agent(), {"--profile=" + QString::fromStdString(profile.string())});
    QVERIFY(agent.waitForFinished(60000));
    QVERIFY2(agent.exitCode() == 0,
             (agent.readAllStandardOutput() + agent.readAllStandardError()).toStdString().c_str());
    QCOMPARE(world.tables(), std::string("CLIENTS\n"));
    QCOMPARE(table_picture(world, "CLIENTS"), from_wizard);
  }

  // In sync mode Edit Table marks the key of a table whose files give none:
  // the wizard syncs by it, and so do the quick launch and the agent from
  // the profile saved on the finish page, each updating the changed row in
  // place. A marked field removed from the table is refused.
  void DialogTypesKeyMarkSyncsTheWizardsRunsAndTheAgentsProfile() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path folder = world.folder("dbf");
    const std::filesystem::path profile = world.root() / "people.vpx";
    auto write_people = [&](const std::u16string& second) {
      dbf_writer people(0x03);
      people.field(u"ID", 'N', 6).field(u"NAME", 'C', 12);
      for (const auto& [id, name] : {std::pair{1, u"Ann"}, {2, second.c_str()}, {3, u"Cy"}})
        people.record({dbf_cell::integer(id), dbf_cell::text(name)});
      people.write(folder, "PEOPLE.DBF");
    };
    write_people(u"Bo");
    QVERIFY(world.open());
    world.press_next();
    world.fill_login();
    world.press_next();
    world.set_text(1003, QString::fromStdString(folder.string()));
    world.control<QRadioButton>(1332)->setChecked(true);  // sync
    world.press_next();
    world.press_next();
    auto* available = world.control<QListWidget>(1317);
    available->setCurrentItem(available->findItems("people", Qt::MatchExactly).front());
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    QStringList headers;
    when_shown<types_map_dlg>([&headers](types_map_dlg& dialog) {
      auto* list = child<QTreeWidget>(dialog, types_map_dlg::list_id);
      for (int c = 0; c < list->columnCount(); ++c) headers << list->headerItem()->text(c);
      list->topLevelItem(0)->setCheckState(types_map_dlg::key_column, Qt::Checked);
      list->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
      click(dialog, 1);  // refused: the key field is removed
      list->topLevelItem(0)->setCheckState(0, Qt::Checked);
      click(dialog, 1);
    });
    double_click(world.control<QListWidget>(1318), "people");
    QCOMPARE(headers, QStringList({"Field Name", "Field Type", "Default value", "Null", "Key"}));
    QCOMPARE(world.boxes.texts(), QString(types_map_dlg::key_dropped));
    world.boxes.forget();
    world.press_next();
    QVERIFY(world.wait_for_finish());
    QCOMPARE(world.boxes.texts(), QString());
    world.boxes.plan(QString::fromStdString(profile.string()));
    QTest::mouseClick(world.control<QPushButton>(1116), Qt::LeftButton);
    QVERIFY(std::filesystem::exists(profile));
    world.press_finish();
    world.close();
    QVERIFY(read_file(profile).find("[Sync keys]") != std::string::npos);
    QCOMPARE(world.sql("SELECT ID, NAME FROM PEOPLE ORDER BY ID"), std::string("ID\tNAME\n1\tAnn\n2\tBo\n3\tCy\n"));
    const std::string first_rowid = world.sql("SELECT ROWID FROM PEOPLE WHERE ID = 2");

    write_people(u"Bea");
    world.boxes.forget();
    QVERIFY(world.open({QString::fromStdString(profile.string())}));
    QVERIFY(world.wait_for_finish());
    QCOMPARE(world.boxes.texts(), QString());
    world.press_finish();
    world.close();
    QCOMPARE(world.sql("SELECT ID, NAME FROM PEOPLE ORDER BY ID"), std::string("ID\tNAME\n1\tAnn\n2\tBea\n3\tCy\n"));
    QCOMPARE(world.sql("SELECT ROWID FROM PEOPLE WHERE ID = 2"), first_rowid);  // updated, not inserted again

    write_people(u"Bix");
    QProcess agent;
    agent.start(wizard_paths::agent(), {"--profile=" + QString::fromStdString(profile.string())});
    QVERIFY(agent.waitForFinished(60000));
    const QString out = agent.readAllStandardOutput() + agent.readAllStandardError();
    QVERIFY2(agent.exitCode() == 0, qPrintable(out));
    QVERIFY2(out.contains("inserted 0, updated 1, deleted 0, unchanged 2"), qPrintable(out));
    QCOMPARE(world.sql("SELECT ID, NAME FROM PEOPLE ORDER BY ID"), std::string("ID\tNAME\n1\tAnn\n2\tBix\n3\tCy\n"));
  }

  // A Visual FoxPro table of a database container: the run names its columns
  // as the container does, so the dialog shows those names (and the
  // container's default), a logical "as is" as the CHAR(1) it becomes, and
  // the changes made there are the ones the run makes.
  void DialogTypesContainerTableShowsAndSavesTheNamesTheRunCreates() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path folder = world.folder("dbf");
    dbf_writer orders(0x30);
    orders.table_flags(0x01).container("shop.dbc");
    orders.field(u"ORDER_ID", 'I').field(u"CUSTOMER_N", 'C', 20).field(u"PAID", 'L');
    orders.record({dbf_cell::integer(1), dbf_cell::text(u"Ann"), dbf_cell::boolean(true)});
    orders.write(folder, "ORDERS.DBF");
    dbf_container_writer()
        .table(u"orders", {u"order_id", u"customer_name", u"paid"}, {u"", u"\"nobody\"", u""})
        .write(folder, "SHOP.DBC");
    QVERIFY(world.open());
    world.press_next();
    world.fill_login();
    world.press_next();
    world.set_text(1003, QString::fromStdString(folder.string()));
    world.control<QCheckBox>(1204)->setChecked(true);  // logicals "as is"
    world.press_next();
    world.press_next();
    QStringList shown;
    when_shown<types_map_dlg>([&shown](types_map_dlg& dialog) {
      auto* list = child<QTreeWidget>(dialog, types_map_dlg::list_id);
      for (int row = 0; row < list->topLevelItemCount(); ++row)
        shown << list->topLevelItem(row)->text(0) + " " + list->topLevelItem(row)->text(1) + " " +
                     list->topLevelItem(row)->text(2);
      select_row(dialog, 1);
      child<QLineEdit>(dialog, types_map_dlg::field_name_id)->setText("CLIENT");
      select_row(dialog, 2);
      child<QLineEdit>(dialog, types_map_dlg::field_name_id)->setText("SETTLED");
      select_row(dialog, 0);
      click(dialog, 1);
    });
    auto* available = world.control<QListWidget>(1317);
    available->setCurrentItem(available->findItems("orders", Qt::MatchExactly).front());
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    double_click(world.control<QListWidget>(1318), "orders");
    QCOMPARE(shown, QStringList({"order_id NUMBER(11,0) ", "customer_name NVARCHAR2(20) nobody", "paid CHAR(1) "}));
    world.press_next();
    QVERIFY(world.wait_for_finish());
    QCOMPARE(world.boxes.texts(), QString());
    world.press_finish();
    world.close();
    QCOMPARE(world.sql("SELECT * FROM ORDERS"), std::string("ORDER_ID\tCLIENT\tSETTLED\n1\tAnn\tT\n"));
  }
};

QTEST_MAIN(WizardDialogTest)
#include "wizard_dialogs_test.moc"
