// Whole runs of the wizard against the embedded Oracle emulation, driven
// through its real widgets: every page to the converted samples, Cancel,
// a failed connection, the quick launch, the finish page's error list, the
// help pages, and a run under a comma-decimal locale.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QCheckBox>
#include <QSpinBox>
#include <QTest>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "comma_decimal_locale.hpp"
#include "dbf_writer.hpp"
#include "finish_model.hpp"
#include "gui_finish_page.hpp"
#include "text_window_dlg.hpp"
#include "vesper_converter.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"
#include "wizard_fixture.hpp"
#include "wizard_shell.hpp"

namespace {

const char* const sample_counts[][2] = {{"CUSTOMER", "11"}, {"EMPLOYEE", "4"}, {"ORDERS", "14"},
                                        {"ORDLINES", "36"}, {"PRODUCTS", "10"}, {"SUPPLIER", "5"}};

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every row of every sample table, as the emulation returns it.
std::string all_rows(const wizard_fixture& world) {
  std::string rows;
  for (const auto& [table, count] : sample_counts) rows += world.sql(std::string("SELECT * FROM \"") + table + "\"");
  return rows;
}

// The samples' orders and customer (renamed CLIENTS), with options off
// their defaults, and `log` as the profile's log file.
std::filesystem::path write_profile_with_log(const wizard_fixture& world, const std::filesystem::path& log) {
  const std::filesystem::path profile = world.root() / "elsewhere.vpx";
  vesper_settings settings;
  ora_db_mutator customisation;
  settings.folder = world.copy_of_samples("dbf").u16string();
  settings.service = u"XE";
  settings.user = u"scott";
  settings.password = u"tiger";
  settings.host.clear();
  settings.port = u"1521";
  settings.tables = {u"orders", u"customer"};
  settings.logicals_as_is = true;
  settings.skip_deleted = true;
  settings.log_file = log.string();
  customisation.table_for_update(u"customer").new_name = u"CLIENTS";
  vesper_profile_io(settings, customisation).store(profile.string());
  return profile;
}

QString log_problem(const std::filesystem::path& log) {
  return QString::fromStdString("The profile's log file " + log.string() +
                                " cannot be used:\nLogfile path does not exist.\nPlease verify the correct path was "
                                "given.\nThe rest of the profile is loaded; no log is written.");
}

void convert_all_samples(wizard_fixture& world) {
  QVERIFY(world.open());
  world.walk_to_tables(world.copy_of_samples("dbf"));
  QTest::mouseClick(world.control<QPushButton>(1102), Qt::LeftButton);
  world.press_next();
  QVERIFY(world.wait_for_finish());
  world.press_finish();
  world.close();
}

// A table of `records` records, big enough for a run to be stopped halfway.
void write_big_table(const std::filesystem::path& folder, int records) {
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 10).field(u"NAME", 'C', 30);
  for (int i = 1; i <= records; ++i)
    table.record({dbf_cell::integer(i), dbf_cell::text(u"record number " + std::u16string(i % 7 + 1, u'x'))});
  table.write(folder, "BIG.DBF");
}

}  // namespace

class WizardFlowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<wizard_process> process_;

 private slots:
  void initTestCase() {
    process_ = std::make_unique<wizard_process>();
  }
  void init() { process_->handler.silent = false; }

  void WizardConvertsTheSamplesFromFirstPageToFinishAndKeepsTheChoices() {
    wizard_fixture world(process_->handler);
    convert_all_samples(world);
    for (const auto& [table, count] : sample_counts) QCOMPARE(world.count(table), std::string(count));
    QVERIFY(world.boxes.seen().empty());
    // The agent reads what the wizard was last told.
    const std::string settings = read_file(world.settings_file());
    QVERIFY(settings.find("\"dest\"=\"XE\"") != std::string::npos);
    QVERIFY(settings.find("\"oracleu\"=\"scott\"") != std::string::npos);
    QVERIFY(settings.find((world.root() / "dbf").string()) != std::string::npos);
  }

  // Two Oracle sessions chosen on the settings page: every sample arrives,
  // the progress page lists every table done with its records, and the
  // choice is kept for the next start.
  void WizardRunsOnTwoSessionsAndListsEveryTableDone() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.press_next();
    world.fill_login();
    world.press_next();
    world.set_text(1003, QString::fromStdString(world.copy_of_samples("dbf").string()));
    auto* sessions = world.control<QSpinBox>(1236);
    QVERIFY(sessions);
    QCOMPARE(sessions->value(), 1);
    QCOMPARE(sessions->maximum(), 64);
    sessions->setValue(2);
    world.press_next();
    world.press_next();
    QTest::mouseClick(world.control<QPushButton>(1102), Qt::LeftButton);
    world.press_next();
    QVERIFY(world.wait_for_finish());
    QCOMPARE(world.app().settings().parallel, 2u);
    for (const auto& [table, count] : sample_counts) QCOMPARE(world.count(table), std::string(count));
    auto* done = world.app().shell().findChild<QTreeWidget*>("1325");
    QVERIFY(done);
    QCOMPARE(done->topLevelItemCount(), 6);
    QStringList listed;
    for (int row = 0; row < done->topLevelItemCount(); ++row) {
      const QTreeWidgetItem* item = done->topLevelItem(row);
      listed << item->text(0) + " " + item->text(1) + " " + item->text(2).section(' ', 0, 1);
    }
    listed.sort();
    QCOMPARE(listed.join(", "), QString("customer 11 of 11 done in, employee 4 of 4 done in, orders 14 of 14 done in, "
                                        "ordlines 36 of 36 done in, products 10 of 10 done in, "
                                        "supplier 5 of 5 done in"));
    QVERIFY(world.boxes.seen().empty());
    world.press_finish();
    world.close();
    QVERIFY(read_file(world.settings_file()).find("\"parallel\"=") != std::string::npos);
  }

  // A profile that cannot be written says so; nothing else is lost. A name
  // typed without an extension gets ".vpx" (the Load dialog shows only those),
  // and the wizard says where it saved.
  void WizardSaveSettingsAddsTheExtensionAndSaysWhereOrWhyNot() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    auto* available = world.control<QListWidget>(1317);
    available->setCurrentItem(available->findItems("supplier", Qt::MatchExactly).front());
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    world.press_next();
    QVERIFY(world.wait_for_finish());
    const std::string missing = (world.root() / "nowhere" / "setup.vpx").string();
    world.boxes.plan(QString::fromStdString(missing));
    QTest::mouseClick(world.control<QPushButton>(1116), Qt::LeftButton);
    QVERIFY(world.boxes.texts().contains(
        QString::fromStdString("Cannot write the profile " + missing + ": check that its folder exists")));
    world.boxes.forget();
    const std::filesystem::path job = world.root() / "job";
    world.boxes.plan(QString::fromStdString(job.string()));
    QTest::mouseClick(world.control<QPushButton>(1116), Qt::LeftButton);
    QVERIFY(std::filesystem::exists(world.root() / "job.vpx"));
    QVERIFY(!std::filesystem::exists(job));
    QCOMPARE(world.boxes.seen().back().text,
             QString::fromStdString("The settings were saved in " + job.string() + ".vpx."));
    QCOMPARE(world.boxes.seen().back().caption, QString("Vesper 3.3 Message"));
    // A name with an extension of its own is kept as typed.
    world.boxes.plan(QString::fromStdString((world.root() / "job.profile").string()));
    QTest::mouseClick(world.control<QPushButton>(1116), Qt::LeftButton);
    QVERIFY(std::filesystem::exists(world.root() / "job.profile"));
    world.press_finish();
    world.close();
  }

  void WizardCancelAsksAndClosesOnlyOnYes() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.press_next();
    world.boxes.plan("No");
    world.press_cancel();
    QCOMPARE(world.boxes.texts(), QString("Are you sure you want to exit the wizard?"));
    QCOMPARE(world.boxes.seen().front().caption, QString("Vesper 3.3 Question"));
    QVERIFY(world.app().shell().isVisible());
    QCOMPARE(world.page()->subTitle(), QString("Connect to Oracle server"));
    world.boxes.plan("Yes");
    world.press_cancel();
    QVERIFY(!world.app().shell().isVisible());
    QVERIFY(world.tables().empty());
  }

  // The run stops between two batches when the user confirms: the rows that
  // arrived are whole batches, committed with the journal, which a resumed
  // run continues after; the wizard closes once the run has ended.
  void WizardCancelDuringTheRunStopsAtABatchBoundary() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path folder = world.folder("big");
    constexpr int records = 20000;
    write_big_table(folder, records);
    QVERIFY(world.open());
    vesper_converter& converter = world.app().converter();
    world.app().settings().batch_rows = 250;  // many batches, so that the cancel meets the run in the middle
    world.app().settings().commit_rows = 750;  // and rows executed but not yet committed when it comes
    world.walk_to_tables(folder);
    QTest::mouseClick(world.control<QPushButton>(1102), Qt::LeftButton);
    world.press_next();
    QVERIFY(QTest::qWaitFor([&] { return converter.status().records_done > 10; }, 30000));
    world.boxes.plan("Yes");
    world.press_cancel();
    QVERIFY(QTest::qWaitFor([&] { return !world.app().shell().isVisible(); }, 30000));
    QVERIFY(converter.last_run().cancelled);
    QCOMPARE(converter.last_run().tallies.size(), std::size_t(1));
    QVERIFY(converter.last_run().tallies[0].line().find("(cancelled)") != std::string::npos);
    QCOMPARE(world.app().run_status_code(), 255);
    world.close();
    const int arrived = std::stoi(world.count("BIG"));
    QVERIFY2(arrived > 0 && arrived < records, std::to_string(arrived).c_str());
    QCOMPARE(arrived % 250, 0);
    // Before it closed, the wizard said what the stop left behind.
    const QString said = world.boxes.seen().back().text;
    QVERIFY2(said.startsWith("The conversion was cancelled.\n\nTable big is partly loaded: " + QString::number(arrived) +
                             " of its "),
             qPrintable(said));
    QVERIFY2(said.contains("in the Oracle table BIG. A run with \"Resume an interrupted run\" (vpxagent --resume) goes on"),
             qPrintable(said));
    QCOMPARE(world.sql("SELECT LAST_RECORD FROM \"VESPER$JOURNAL\""), "LAST_RECORD\n" + std::to_string(arrived) + "\n");
    // The rows that arrived are the first ones, each whole.
    QCOMPARE(world.sql("SELECT MAX(\"ID\") FROM \"BIG\" WHERE \"NAME\" LIKE 'record number x%'"),
             "MAX(\"ID\")\n" + std::to_string(arrived) + "\n");
  }

  // One INSERT each, the run stops between two records: every row that
  // arrived is committed with the journal naming the last one, so that a
  // resumed run neither loses nor repeats a record.
  void WizardCancelDuringARowByRowRunStopsAtARecordBoundary() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path folder = world.folder("big");
    constexpr int records = 20000;
    write_big_table(folder, records);
    QVERIFY(world.open());
    vesper_converter& converter = world.app().converter();
    world.app().settings().insert = insert_path::row_by_row;
    world.walk_to_tables(folder);
    QTest::mouseClick(world.control<QPushButton>(1102), Qt::LeftButton);
    world.press_next();
    QVERIFY(QTest::qWaitFor([&] { return converter.status().records_done > 10; }, 30000));
    world.boxes.plan("Yes");
    world.press_cancel();
    QVERIFY(QTest::qWaitFor([&] { return !world.app().shell().isVisible(); }, 30000));
    QVERIFY(converter.last_run().cancelled);
    QCOMPARE(converter.last_run().tallies.size(), std::size_t(1));
    QVERIFY(converter.last_run().tallies[0].line().find("(cancelled)") != std::string::npos);
    world.close();
    const int arrived = std::stoi(world.count("BIG"));
    QVERIFY2(arrived > 10 && arrived < records, std::to_string(arrived).c_str());
    QCOMPARE(world.sql("SELECT LAST_RECORD FROM \"VESPER$JOURNAL\""), "LAST_RECORD\n" + std::to_string(arrived) + "\n");
    QCOMPARE(world.sql("SELECT MAX(\"ID\") FROM \"BIG\" WHERE \"NAME\" LIKE 'record number x%'"),
             "MAX(\"ID\")\n" + std::to_string(arrived) + "\n");
  }

  // The program closing while its run goes on: the run is stopped and
  // waited for before the wizard goes, so what arrived is whole committed
  // batches; an error reported after the wizard has gone is shown on its
  // own, without the wizard's title.
  // Going on without a table makes no run: the finish page says so, and
  // the status is not that of a whole conversion.
  void WizardFinishPageSaysNothingWasConvertedWhenNoTableWasChosen() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    world.boxes.plan("Yes");  // go on without a table
    world.press_next();
    QVERIFY(world.wait_for_finish());
    QCOMPARE(world.control<QLabel>(1313)->text(), QString("Nothing was Converted"));
    QCOMPARE(world.control<QLabel>(1314)->text(), QString(gui_finish_page::nothing_text));
    QCOMPARE(world.app().run_status_code(), 255);
    world.press_finish();
    world.close();
    QCOMPARE(world.tables(), std::string());
  }

  void WizardClosedWhileItsRunGoesOnStopsTheRunFirst() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path folder = world.folder("big");
    constexpr int records = 20000;
    write_big_table(folder, records);
    QVERIFY(world.open());
    world.app().settings().batch_rows = 250;
    world.app().settings().commit_rows = 250;
    world.walk_to_tables(folder);
    QTest::mouseClick(world.control<QPushButton>(1102), Qt::LeftButton);
    world.press_next();
    const vesper_converter& converter = world.app().converter();
    QVERIFY(QTest::qWaitFor([&] { return converter.status().records_done > 10; }, 30000));
    world.close();
    const int arrived = std::stoi(world.count("BIG"));
    QVERIFY2(arrived > 0 && arrived < records, std::to_string(arrived).c_str());
    QCOMPARE(arrived % 250, 0);
    QCOMPARE(world.sql("SELECT LAST_RECORD FROM \"VESPER$JOURNAL\""), "LAST_RECORD\n" + std::to_string(arrived) + "\n");
    world.boxes.forget();
    process_->handler.handle(tk_exception("The log folder cannot be written"), true);
    QCOMPARE(world.boxes.seen().size(), std::size_t(1));
    QCOMPARE(world.boxes.seen().front().caption, QString("Error"));
    QCOMPARE(world.boxes.seen().front().text, QString("The log folder cannot be written"));
  }

  void WizardShowsAFailedConnectionAndStaysOnTheOraclePage() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.press_next();
    world.fill_login("wrong");
    world.press_next();
    QCOMPARE(world.boxes.texts(), QString("Invalid user name or password."));
    QCOMPARE(world.boxes.seen().front().caption, QString("Vesper 3.3 Error"));
    QCOMPARE(world.page()->subTitle(), QString("Connect to Oracle server"));
    QVERIFY(!world.app().converter().target());
  }

  // Test Connection tries the typed fields on a connection of its own, says
  // how it went (the server's version, or Oracle's reason) and stays.
  void WizardTestConnectionSaysHowItWentAndStays() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.press_next();
    world.fill_login();
    QTest::mouseClick(world.control<QPushButton>(1021), Qt::LeftButton);
    QCOMPARE(world.boxes.seen().size(), std::size_t(1));
    QVERIFY2(world.boxes.texts().startsWith("Connection succeeded.\n\nOracle Database 19c"),
             qPrintable(world.boxes.texts()));
    QCOMPARE(world.page()->subTitle(), QString("Connect to Oracle server"));
    QVERIFY(!world.app().converter().target());
    world.boxes.forget();
    world.set_text(1013, "wrong");
    QTest::mouseClick(world.control<QPushButton>(1021), Qt::LeftButton);
    QCOMPARE(world.boxes.texts(), QString("Invalid user name or password."));
    QCOMPARE(world.boxes.seen().front().caption, QString("Vesper 3.3 Error"));
    QCOMPARE(world.page()->subTitle(), QString("Connect to Oracle server"));
    world.boxes.forget();
    world.set_text(1013, "tiger");
    world.press_next();
    QVERIFY(world.boxes.seen().empty());
    QVERIFY(world.app().converter().target());
  }

  // The progress page lists each table done with its records and how it
  // ended; the finish page shows the run's log, or says there is none.
  void WizardProgressListsTheTablesDoneAndTheFinishPageShowsTheLog() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path log = world.root() / "vesper.log";
    const std::filesystem::path profile = write_profile_with_log(world, log);
    QVERIFY(world.open({QString::fromStdString(profile.string())}));
    QVERIFY(world.wait_for_finish());
    auto* done = world.app().shell().findChild<QTreeWidget*>("1325");
    QVERIFY(done);
    QCOMPARE(done->topLevelItemCount(), 2);
    QCOMPARE(done->topLevelItem(0)->text(0), QString("customer"));
    QCOMPARE(done->topLevelItem(0)->text(1), QString("11 of 11"));
    QVERIFY2(done->topLevelItem(0)->text(2).startsWith("done in 0:0"), qPrintable(done->topLevelItem(0)->text(2)));
    QCOMPARE(done->topLevelItem(1)->text(0), QString("orders"));
    QCOMPARE(done->topLevelItem(1)->text(1), QString("14 of 14"));
    QString shown;
    when_shown<text_window_dlg>([&](text_window_dlg& window) {
      shown = window.text_view()->toPlainText();
      QVERIFY(window.text_view()->isReadOnly());
      window.reject();
    });
    QTest::mouseClick(world.control<QPushButton>(1117), Qt::LeftButton);
    QCOMPARE(shown, QString::fromStdString(read_file(log)).remove(QChar('\r')));
    QVERIFY(shown.contains("customer"));
    world.press_finish();
    world.close();
  }

  // Without a log file the log viewer says why there is nothing to show.
  void WizardLogViewerSaysWhenThereIsNoLog() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    auto* available = world.control<QListWidget>(1317);
    available->setCurrentItem(available->findItems("orders", Qt::MatchExactly).front());
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    world.press_next();
    QVERIFY(world.wait_for_finish());
    QTest::mouseClick(world.control<QPushButton>(1117), Qt::LeftButton);
    QCOMPARE(world.boxes.texts(), QString(finish_model::no_log_text));
    world.press_finish();
    world.close();
  }

  void WizardQuickLaunchConvertsWithTheProfilesSettings() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path profile = world.root() / "samples.vpx";
    {
      vesper_settings settings;
      ora_db_mutator customisation;
      settings.folder = world.copy_of_samples("dbf").u16string();
      settings.service = u"XE";
      settings.user = u"scott";
      settings.password = u"tiger";
      settings.host.clear();
      settings.port = u"1521";
      settings.tables = {u"orders", u"customer"};
      QVERIFY(vesper_profile_io(settings, customisation).store(profile.string()));
    }
    QVERIFY(world.open({QString::fromStdString(profile.string())}));
    QVERIFY(world.wait_for_finish());
    QCOMPARE(world.control<QLabel>(1314)->text(), QString(gui_finish_page::success_text));
    world.press_finish();
    world.close();
    QCOMPARE(world.tables(), std::string("CUSTOMER\nORDERS\n"));
    QCOMPARE(world.count("ORDERS"), std::string("14"));
  }

  // A profile saved on another machine names a log folder this one lacks:
  // the quick launch still converts its tables, and says the log is lost.
  void WizardQuickLaunchWithAMissingLogFolderConvertsAndSaysSo() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path log = world.root() / "no-such-folder" / "vesper.log";
    const std::filesystem::path profile = write_profile_with_log(world, log);
    QVERIFY(world.open({QString::fromStdString(profile.string())}));
    QCOMPARE(world.boxes.texts(), log_problem(log));
    QVERIFY(world.wait_for_finish());
    world.press_finish();
    world.close();
    QCOMPARE(world.tables(), std::string("CLIENTS\nORDERS\n"));
  }

  // Loaded with Load Settings, the same profile fills every page: the
  // Oracle account, the folder and options, the tables and type mappings.
  void WizardLoadSettingsWithAMissingLogFolderLoadsTheRest() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path log = world.root() / "no-such-folder" / "vesper.log";
    const std::filesystem::path profile = write_profile_with_log(world, log);
    QVERIFY(world.open());
    world.boxes.plan(QString::fromStdString(profile.string()));
    QTest::mouseClick(world.control<QPushButton>(1115), Qt::LeftButton);
    // The file dialog first, then the box.
    QVERIFY(QTest::qWaitFor([&] { return world.boxes.seen().size() == 2; }, 10000));
    QCOMPARE(world.boxes.seen().back().text, log_problem(log));
    const vesper_settings& loaded = world.app().settings();
    QVERIFY(loaded.service == u"XE" && loaded.user == u"scott");
    QCOMPARE(loaded.tables.size(), std::size_t(2));
    QVERIFY(loaded.logicals_as_is && loaded.skip_deleted);
    QCOMPARE(loaded.log_file, log.string());
    const ora_table_mutator* customer = world.app().converter().customisation().table(u"customer");
    QVERIFY(customer && customer->new_name == u"CLIENTS");
  }

  void WizardQuickLaunchWithAMissingProfileShowsNoWizard() {
    wizard_fixture world(process_->handler);
    QVERIFY(!world.open({QString::fromStdString((world.root() / "missing.vpx").string())}));
    QCOMPARE(world.app().exit_code(), 255);
    QCOMPARE(world.boxes.texts(), QString("Profile does not exist. Please verify the correct path/name was given."));
    QCOMPARE(world.boxes.seen().front().caption, QString("Error"));
    QVERIFY(!world.app().has_shell());
  }

  void WizardQuickLaunchWithAFileThatIsNoProfileShowsNoWizard() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path file = world.root() / "notes.vpx";
    std::ofstream(file) << "key=value before any section\n";
    QVERIFY(!world.open({QString::fromStdString(file.string())}));
    QCOMPARE(world.app().exit_code(), 255);
    QCOMPARE(world.boxes.texts(),
             QString::fromStdString("The file " + file.string() + " is not a profile saved by the wizard, or it is damaged."));
    QVERIFY(!world.app().has_shell());
  }

  // Two tables that do not fit the Oracle tables they merge into: both
  // errors are offered to continue from and listed on the finish page.
  void WizardFinishPageListsTheErrorsOfTheRun() {
    wizard_fixture world(process_->handler);
    world.sql("CREATE TABLE CUSTOMER (X NUMBER)");
    world.sql("CREATE TABLE ORDERS (X NUMBER)");
    QVERIFY(world.open());
    world.press_next();
    world.fill_login();
    world.press_next();
    world.set_text(1003, QString::fromStdString(world.copy_of_samples("dbf").string()));
    world.control<QRadioButton>(1330)->setChecked(true);
    world.control<QCheckBox>(1204)->setChecked(false);
    world.press_next();
    world.press_next();
    auto* available = world.control<QListWidget>(1317);
    for (const char* name : {"customer", "orders"}) {
      available->setCurrentItem(available->findItems(name, Qt::MatchExactly).front());
      QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    }
    world.boxes.plan("Continue");
    world.boxes.plan("Continue");
    world.press_next();
    QVERIFY(world.wait_for_finish());
    QCOMPARE(world.boxes.seen().size(), std::size_t(2));
    QCOMPARE(world.boxes.seen().front().caption, QString("Vesper 3.3 Error"));
    QCOMPARE(world.control<QLabel>(1314)->text(), QString(gui_finish_page::failure_text));
    auto* list = world.control<QPlainTextEdit>(1016);
    QVERIFY(list->isVisible());
    QVERIFY(list->isReadOnly());
    const QString misfit = "The structure of data source does not conform to the destination table.";
    QCOMPARE(list->toPlainText(), "customer: " + misfit + "\n\norders: " + misfit);
    // The outcome is shown whole, wrapped to the page.
    auto* outcome = world.control<QLabel>(1314);
    QVERIFY(outcome->wordWrap());
    QVERIFY2(outcome->heightForWidth(outcome->width()) <= outcome->height(),
             qPrintable(QString("%1 high for %2, given %3").arg(outcome->heightForWidth(outcome->width()))
                            .arg(outcome->width()).arg(outcome->height())));
    // The list takes the focus, to be selected and copied with Ctrl+C; Copy
    // takes the selection, or the whole list when nothing is selected.
    wizard_shell& shell = world.app().shell();
    shell.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&shell));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), list->toPlainText());
    QTextCursor cursor = list->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    list->setTextCursor(cursor);
    QTest::mouseClick(world.control<QPushButton>(1108), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("customer"));
    cursor.clearSelection();
    list->setTextCursor(cursor);
    QTest::mouseClick(world.control<QPushButton>(1108), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), list->toPlainText());
  }

  void WizardHelpOpensThePageOfEachContext() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    std::vector<QString> opened;
    world.app().shell().open_url = [&](const QUrl& url) {
      opened.push_back(url.fileName());
      return true;
    };
    world.press_next();
    world.fill_login();
    world.press_next();
    world.set_text(1003, QString::fromStdString(world.folder("empty").string()));
    world.press_next();
    world.app().shell().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&world.app().shell()));
    QTest::keyClick(&world.app().shell(), Qt::Key_F1);
    QTest::mouseClick(world.app().shell().button(QWizard::HelpButton), Qt::LeftButton);
    QCOMPARE(opened, (std::vector<QString>{"1023.html", "1023.html"}));
    world.app().shell().display_help();
    QCOMPARE(opened.back(), QString("index.html"));
    QVERIFY(world.boxes.seen().empty());
  }

  void WizardHelpWithoutItsPagesSaysToReinstall() {
    wizard_fixture world(process_->handler);
    world.options.help_folder = QString::fromStdString((world.root() / "no-help").string());
    QVERIFY(world.open());
    world.app().shell().open_url = [](const QUrl&) { return true; };
    world.app().shell().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&world.app().shell()));
    QTest::keyClick(&world.app().shell(), Qt::Key_F1);
    QCOMPARE(world.boxes.texts(), QString("Help file does not exist. Reinstall the program."));
  }

  // Qt hands the environment's locale to the C library: a German one must
  // change no value, no SQL text and no stored setting.
  void WizardRunUnderACommaDecimalLocaleMatchesTheCLocale() {
    wizard_fixture plain(process_->handler);
    convert_all_samples(plain);
    const std::string expected_rows = all_rows(plain);
    std::string expected_settings = read_file(plain.settings_file());
    comma_decimal_locale german;
    if (!german.active()) QSKIP(comma_decimal_locale::missing);
    wizard_fixture world(process_->handler);
    convert_all_samples(world);
    QCOMPARE(all_rows(world), expected_rows);
    std::string settings = read_file(world.settings_file());
    const std::string plain_root = plain.root().string(), root = world.root().string();
    for (std::size_t at = expected_settings.find(plain_root); at != std::string::npos;
         at = expected_settings.find(plain_root, at))
      expected_settings.replace(at, plain_root.size(), root);
    QCOMPARE(settings, expected_settings);
  }
};

QTEST_MAIN(WizardFlowTest)
#include "wizard_flow_test.moc"
