// The pages' own rules, driven through their widgets: the validation
// messages, the encoding list, the table lists, going on with no table, the
// keyboard (mnemonics, Enter, focus), the window's place and size, and the
// progress bar's formula.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <map>
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

// The Alt+letter of a control's text, empty when it has none.
QString mnemonic_of(const QString& text) { return QKeySequence::mnemonic(text).toString(); }

// Every Alt+letter that two visible controls of the current page share, or
// that a control shares with a button of the wizard.
QStringList mnemonic_clashes(wizard_fixture& world) {
  std::map<QString, QStringList> owners;
  auto note = [&](QWidget* widget, const QString& text) {
    if (widget->isVisibleTo(&world.app().shell()) && !mnemonic_of(text).isEmpty())
      owners[mnemonic_of(text)] << text;
  };
  for (QAbstractButton* button : world.page()->findChildren<QAbstractButton*>()) note(button, button->text());
  for (QLabel* label : world.page()->findChildren<QLabel*>())
    if (label->buddy()) note(label, label->text());
  for (QWizard::WizardButton which : {QWizard::BackButton, QWizard::NextButton, QWizard::CommitButton,
                                      QWizard::FinishButton, QWizard::CancelButton, QWizard::HelpButton})
    note(world.app().shell().button(which), world.app().shell().button(which)->text());
  QStringList clashes;
  for (const auto& [key, texts] : owners)
    if (texts.size() > 1) clashes << key + ": " + texts.join(", ");
  return clashes;
}

QStringList selected_names(wizard_fixture& world) { return entries(world.control<QListWidget>(1318)); }

// Whether `window` stands in the middle of its screen, wholly on it.
bool centred_on_screen(const QWidget& window) {
  const QRect room = window.screen()->availableGeometry();
  const QRect frame = window.frameGeometry();
  return room.contains(frame) && std::abs(frame.center().x() - room.center().x()) <= 2 &&
         std::abs(frame.center().y() - room.center().y()) <= 2;
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
  // code page, and the item's data what is stored. Each entry names its code
  // page, none twice (0x0E and 0x1D both read French OEM in 850: one entry
  // stands for both), and the popup scrolls rather than filling the screen.
  void PageEncodingListsEveryCodePageOnce() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.app().settings().code_page = 0x03;
    world.walk_to_tables(world.folder("empty"));
    world.press_back();
    auto* list = world.control<QComboBox>(1302);
    const int rows = int(dbf_code_pages::choices().size() + dbf_code_pages::extra_choices().size()) - 1;
    QCOMPARE(list->count(), rows);
    QCOMPARE(list->currentData().toInt(), 0x03);
    QCOMPARE(list->currentText(), QString("Windows ANSI (1252)"));
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
    QCOMPARE(texts.removeDuplicates(), 0);
    for (const dbf_code_page& row : dbf_code_pages::choices())
      if (row.code_page != 0)
        QVERIFY2(texts.filter(QString::number(row.code_page)).size() > 0, row.name);
    QCOMPARE(list->itemText(list->findData(0x0E)), QString("French OEM (secondary) (850)"));
    QCOMPARE(list->findData(0x1D), -1);
    QVERIFY(list->maxVisibleItems() <= 20);
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

  // Back and Next again (from the folder page) keep the tables chosen and
  // their order.
  void PageTablesKeepTheChoiceOnTheWayBack() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.walk_to_tables(world.copy_of_samples("dbf"));
    auto* available = world.control<QListWidget>(1317);
    for (const char* name : {"orders", "customer"}) {
      available->setCurrentItem(available->findItems(name, Qt::MatchExactly).front());
      QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    }
    QCOMPARE(selected_names(world), (QStringList{"orders", "customer"}));
    world.press_back();
    world.press_back();
    QCOMPARE(world.page()->subTitle(), QString("Conversion settings"));
    world.press_next();
    world.press_next();
    QCOMPARE(selected_names(world), (QStringList{"orders", "customer"}));
    QCOMPARE(entries(world.control<QListWidget>(1317)).size(), 4);
  }

  // A query is marked as one (it is kept, never converted); a table renamed
  // in Edit Table (here by a loaded profile) shows its Oracle name. The run
  // is still given the file's table.
  void PageTablesMarkQueriesAndShowRenamedTables() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    world.app().converter().customisation().table_for_update(u"customer").new_name = u"CLIENTS";
    world.app().settings().table_queries[u"rich"] = u"SELECT * FROM CUSTOMER WHERE CREDIT > 10000";
    world.app().settings().tables = {u"customer"};
    world.walk_to_tables(world.copy_of_samples("dbf"));
    QCOMPARE(selected_names(world), (QStringList{"CLIENTS (customer)", "rich (query)"}));
    world.control<QListWidget>(1318)->setCurrentRow(1);
    QTest::mouseClick(world.control<QPushButton>(1111), Qt::LeftButton);
    QVERIFY(entries(world.control<QListWidget>(1317)).contains("rich (query)"));
    world.app().shell().validateCurrentPage();
    QCOMPARE(world.app().settings().tables, std::vector<std::u16string>{u"customer"});
    QVERIFY(world.app().settings().unused_queries.count(u"rich"));
  }

  // No Alt+letter is shared on a page, by two controls or by a control and
  // a button of the wizard (Alt+B was the folder's, a batch size's and Back's).
  void PageMnemonicsAreUniqueOnEveryPage() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    QStringList clashes;
    auto look = [&] {
      for (const QString& clash : mnemonic_clashes(world)) clashes << world.page()->subTitle() + " " + clash;
    };
    look();
    world.press_next();
    look();
    world.fill_login();
    world.press_next();
    look();
    world.set_text(1003, QString::fromStdString(world.copy_of_samples("dbf").string()));
    world.press_next();
    look();
    world.press_next();
    look();
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join("\n")));
  }

  // Each page starts in its first field; Enter there presses Next. On the
  // tables page Enter adds the available table rather than starting the run.
  void PageEnterGoesOnFromAFieldWhereTheFocusStarts() {
    wizard_fixture world(process_->handler);
    QVERIFY(world.open());
    wizard_shell& shell = world.app().shell();
    world.press_next();
    QCOMPARE(shell.focusWidget(), world.control<QWidget>(1003));
    world.fill_login();
    QTest::keyClick(world.control<QLineEdit>(1013), Qt::Key_Return);
    QCOMPARE(world.page()->subTitle(), QString("Conversion settings"));
    QCOMPARE(shell.focusWidget(), world.control<QWidget>(1003));
    world.set_text(1003, QString::fromStdString(world.copy_of_samples("dbf").string()));
    QTest::keyClick(world.control<QLineEdit>(1003), Qt::Key_Enter);
    QCOMPARE(world.page()->subTitle(), QString("Specify FoxPor/DBase encoding"));
    QCOMPARE(shell.focusWidget(), world.control<QWidget>(1302));
    QTest::keyClick(world.control<QComboBox>(1302), Qt::Key_Return);
    QCOMPARE(world.page()->subTitle(), QString("Select tables to convert"));
    auto* available = world.control<QListWidget>(1317);
    QCOMPARE(shell.focusWidget(), available);
    available->setCurrentItem(available->findItems("orders", Qt::MatchExactly).front());
    QTest::keyClick(available, Qt::Key_Return);
    QCOMPARE(world.page()->subTitle(), QString("Select tables to convert"));
    QCOMPARE(selected_names(world), QStringList{"orders"});
    QVERIFY(world.boxes.seen().empty());
  }

  // Shown, the window stands in the middle of the screen and keeps its size
  // from the first page to the last; the watermark reaches the buttons.
  // Also run at QT_SCALE_FACTOR=2 (WizardPagesScaled).
  void PageWindowIsCentredAndKeepsItsSize() {
    wizard_fixture world(process_->handler);
    world.sql("CREATE TABLE ORDERS (X NUMBER)");  // a failed table: the finish page lists it
    QVERIFY(world.open());
    wizard_shell& shell = world.app().shell();
    QVERIFY(QTest::qWaitForWindowExposed(&shell));
    QVERIFY2(centred_on_screen(shell), qPrintable(QString("%1,%2 %3x%4 on %5x%6")
                                                      .arg(shell.frameGeometry().x())
                                                      .arg(shell.frameGeometry().y())
                                                      .arg(shell.frameGeometry().width())
                                                      .arg(shell.frameGeometry().height())
                                                      .arg(shell.screen()->availableGeometry().width())
                                                      .arg(shell.screen()->availableGeometry().height())));
    const QSize size = shell.size();
    auto sky_above_the_buttons = [&] {
      const QImage picture = shell.grab().toImage();
      const qreal scale = picture.devicePixelRatio();
      const int y = shell.button(QWizard::CancelButton)->mapTo(&shell, QPoint()).y() - 16;
      return picture.pixelColor(int(4 * scale), int(y * scale)) != QColor(Qt::white);
    };
    QVERIFY(sky_above_the_buttons());
    QStringList sizes;
    auto look = [&] {
      QCoreApplication::processEvents();
      if (shell.size() != size)
        sizes << world.page()->subTitle() + QString(" %1x%2").arg(shell.width()).arg(shell.height());
    };
    world.press_next();
    look();
    world.fill_login();
    world.press_next();
    look();
    world.set_text(1003, QString::fromStdString(world.copy_of_samples("dbf").string()));
    world.control<QRadioButton>(1330)->setChecked(true);
    world.press_next();
    look();
    world.press_next();
    look();
    auto* available = world.control<QListWidget>(1317);
    available->setCurrentItem(available->findItems("orders", Qt::MatchExactly).front());
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
    world.boxes.plan("Continue");
    world.press_next();
    QVERIFY(world.wait_for_finish());
    look();
    QVERIFY2(sizes.isEmpty(),
             qPrintable(QString("%1x%2, then ").arg(size.width()).arg(size.height()) + sizes.join(", ")));
    QVERIFY(centred_on_screen(shell));
    QVERIFY(sky_above_the_buttons());
    for (QWizard::WizardButton which : {QWizard::FinishButton, QWizard::BackButton, QWizard::CancelButton})
      QVERIFY(shell.screen()->availableGeometry().contains(
          QRect(shell.button(which)->mapToGlobal(QPoint()), shell.button(which)->size())));
  }
};

QTEST_MAIN(WizardPageTest)
#include "wizard_pages_test.moc"
