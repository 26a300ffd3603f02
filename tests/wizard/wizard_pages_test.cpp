// The pages' own rules, driven through their widgets: the validation
// messages, the encoding list, the table lists, going on with no table, and
// the progress bar's formula.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QtTest>
#include <fstream>
#include <iterator>

#include "dbf_code_pages.hpp"
#include "progress_page.hpp"
#include "vesper_converter.hpp"
#include "wizard_fixture.hpp"
#include "wizard_shell.hpp"

namespace {

QStringList entries(QListWidget* list) {
  QStringList names;
  for (int row = 0; row < list->count(); ++row) names << list->item(row)->text();
  return names;
}

QStringList sorted(QStringList names) {
  names.sort();
  return names;
}

}  // namespace

class WizardPageTest : public QObject {
  Q_OBJECT

  std::unique_ptr<wizard_process> process_;

 private slots:
  void initTestCase() {
    process_ = std::make_unique<wizard_process>();
  }

  // An empty server is allowed; an empty database name is not, and nothing
  // is tried then.
  void PageOracleAsksForTheDatabaseName() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.press_next();
    world.fill_login();
    world.set_text(1014, "");
    world.press_next();
    QCOMPARE(world.boxes.texts(), QString("You should enter Oracle database name"));
    QCOMPARE(world.boxes.seen().front().caption, QString("Vesper 3.3 Message"));
    QVERIFY(!world.app().converter().target());
    QCOMPARE(world.page()->subTitle(), QString("Connect to Oracle server"));
    world.set_text(1014, "XE");
    world.press_next();
    QCOMPARE(world.page()->subTitle(), QString("Conversion settings"));
  }

  void PageFolderRefusesAnEmptyPathAFileAndAMissingPath() {
    wizard_fixture world(process_->handler);
    const std::filesystem::path samples = world.copy_of_samples("dbf");
    QVERIFY(world.open());
    world.press_next();
    world.fill_login();
    world.press_next();
    world.set_text(1003, "");
    world.press_next();
    world.set_text(1003, QString::fromStdString((samples / "CUSTOMER.DBF").string()));
    world.press_next();
    world.set_text(1003, QString::fromStdString((samples / "nowhere").string()));
    world.press_next();
    QCOMPARE(world.boxes.texts(), QString("You should enter path to DBF file(s)\n"
                                          "You should enter path to DBF file(s), not a file name\n"
                                          "Path to DBF database does not exist.\nPlease verify the correct path was given."));
    QCOMPARE(world.boxes.seen()[0].caption, QString("Vesper 3.3 Message"));
    QCOMPARE(world.boxes.seen()[1].caption, QString("Vesper 3.3 Error"));
    QCOMPARE(world.page()->subTitle(), QString("Conversion settings"));
  }

  // The loading choices reach the converter and the settings the agent
  // reads; the batch sizes are idle while each record goes alone.
  void PageSettingsLoadingChoicesAreStored() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.press_next();
    world.fill_login();
    world.press_next();
    world.set_text(1003, QString::fromStdString(world.copy_of_samples("dbf").string()));
    auto* batch = world.control<QSpinBox>(1231);
    auto* commit = world.control<QSpinBox>(1232);
    QCOMPARE(batch->value(), 2000);
    QCOMPARE(commit->text(), QString("every batch"));
    batch->setValue(500);
    commit->setValue(1500);
    world.control<QCheckBox>(1230)->setChecked(true);
    QVERIFY(!batch->isEnabled());
    world.control<QCheckBox>(1230)->setChecked(false);
    QVERIFY(batch->isEnabled());
    world.control<QCheckBox>(1230)->setChecked(true);
    world.press_next();
    QCOMPARE(world.page()->subTitle(), QString("Specify FoxPor/DBase encoding"));
    world.close();
    std::ifstream file(world.settings_file());
    const std::string settings{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    QVERIFY2(settings.find("\"row_by_row\"=dword:00000001") != std::string::npos, settings.c_str());
    QVERIFY2(settings.find("\"batch\"=dword:000001f4") != std::string::npos, settings.c_str());
    QVERIFY2(settings.find("\"commit\"=dword:000005dc") != std::string::npos, settings.c_str());
  }

  // Sync mode is the fourth choice: a stored sync shows checked (no other
  // button), and choosing it stores mode 3 for the agent too.
  void PageSettingsOffersSyncMode() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.app().settings().existing_tables = existing_table_mode::sync;
    world.press_next();
    world.fill_login();
    world.press_next();
    QVERIFY(world.control<QRadioButton>(1332)->isChecked());
    QVERIFY(!world.control<QRadioButton>(1329)->isChecked());
    world.control<QRadioButton>(1330)->setChecked(true);
    world.control<QRadioButton>(1332)->setChecked(true);
    world.set_text(1003, QString::fromStdString(world.copy_of_samples("dbf").string()));
    world.press_next();
    QCOMPARE(world.app().settings().existing_tables, existing_table_mode::sync);
    world.close();
    std::ifstream file(world.settings_file());
    const std::string settings{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    QVERIFY2(settings.find("\"mode\"=dword:00000003") != std::string::npos, settings.c_str());
  }

  // Visited twice, the list is filled once; the choice is the converter's
  // code page, and the item's data what is stored.
  void PageEncodingListsEveryCodePageOnce() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.app().settings().code_page = 0x03;
    world.walk_to_tables(world.folder("empty"));
    world.press_back();
    auto* list = world.control<QComboBox>(1302);
    const int rows = int(dbf_code_pages::choices().size() + dbf_code_pages::extra_choices().size());
    QCOMPARE(list->count(), rows);
    QCOMPARE(list->currentData().toInt(), 0x03);
    // Driver bytes in ascending order, then the code pages beyond them.
    for (int i = 1; i < int(dbf_code_pages::choices().size()); ++i)
      QVERIFY(list->itemData(i - 1).toInt() < list->itemData(i).toInt());
    QCOMPARE(list->itemData(rows - 1).toInt(), 65001);
    QCOMPARE(list->itemText(0), QString("Default"));
    list->setCurrentIndex(list->findData(0xC8));
    world.press_back();
    world.press_next();
    world.press_next();
    QCOMPARE(list->count(), rows);
    QCOMPARE(list->currentData().toInt(), 0xC8);
    QCOMPARE(int(world.app().settings().code_page), 0xC8);
    // A code page beyond the driver bytes is stored by its number.
    world.press_back();
    list->setCurrentIndex(list->findData(65001));
    world.press_next();
    QCOMPARE(world.app().settings().code_page, 65001);
  }

  void PageTablesMoveBetweenTheListsAndKeepTheChosenOrder() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    auto* available = world.control<QListWidget>(1317);
    auto* selected = world.control<QListWidget>(1318);
    const QStringList all = entries(available);
    QCOMPARE(all.size(), 6);
    QVERIFY(world.control<QPushButton>(1114)->isVisible());
    QTest::mouseClick(world.control<QPushButton>(1102), Qt::LeftButton);
    QVERIFY(entries(available).isEmpty());
    QCOMPARE(entries(selected), all);
    QTest::mouseClick(world.control<QPushButton>(1110), Qt::LeftButton);
    QCOMPARE(sorted(entries(available)), sorted(all));
    QCOMPARE(available->currentRow(), 0);
    // One at a time: the current entry stays at its place.
    available->setCurrentRow(2);
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    QCOMPARE(available->currentRow(), 2);
    available->setCurrentRow(4);
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    QCOMPARE(available->currentRow(), 3);
    QCOMPARE(entries(selected), (QStringList{all[2], all[5]}));
    selected->setCurrentRow(0);
    QTest::mouseClick(world.control<QPushButton>(1111), Qt::LeftButton);
    QCOMPARE(entries(selected), QStringList{all[5]});
    world.app().shell().button(QWizard::CommitButton)->setEnabled(true);
    world.app().shell().validateCurrentPage();
    QCOMPARE(world.app().settings().tables, std::vector<std::u16string>{all[5].toStdU16String()});
  }

  // Going on with no table chosen converts none (an empty choice must not
  // become every table of the folder); No keeps the page.
  void PageTablesWithNoneChosenAsksAndConvertsNothing() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    world.boxes.plan("No");
    world.press_next();
    QCOMPARE(world.boxes.texts(), QString("There are no tables selected. Continue anyway?"));
    QCOMPARE(world.page()->subTitle(), QString("Select tables to convert"));
    world.boxes.plan("Yes");
    world.press_next();
    QVERIFY(world.wait_for_finish());
    world.press_finish();
    world.close();
    QCOMPARE(world.tables(), std::string());
  }

  void PageTablesOfAnEmptyFolderGoOnWithoutAsking() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.folder("empty"));
    world.press_next();
    QVERIFY(world.wait_for_finish());
    QVERIFY(world.boxes.seen().empty());
  }

  void PageProgressBarFormula() {
    QCOMPARE(progress_page::bar_position(4, 1, 200, 100), 37);
    QCOMPARE(progress_page::bar_position(0, 0, 0, 0), 0);
    QCOMPARE(progress_page::bar_position(3, 1, 0, 0), 33);
    QCOMPARE(progress_page::bar_position(1, 0, 10, 10), 100);
    // A table of four billion records: the product must not wrap.
    QCOMPARE(progress_page::bar_position(2, 1, 4000000000u, 3000000000u), 87);
  }
};

QTEST_MAIN(WizardPageTest)
#include "wizard_pages_test.moc"
