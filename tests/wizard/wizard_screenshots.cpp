// Walks the wizard through every page on a real display (scripts/
// wizard-screenshots.sh starts it under Xvfb) and writes a picture of each
// page into the folder named on the command line, for a person to look at.
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "dbf_writer.hpp"
#include "vesper_converter.hpp"
#include "wizard_fixture.hpp"
#include "wizard_shell.hpp"

namespace {

void save(const QString& folder, const QString& name) {
  QTest::qWait(300);  // painted
  const QString path = folder + "/" + name + ".png";
  if (!wizard_shell::instance().grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
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
  wizard_fixture world;
  const std::filesystem::path folder = world.copy_of_samples("dbf");
  dbf_writer big(0x03);
  big.field(u"ID", 'N', 10).field(u"NAME", 'C', 30);
  for (int i = 1; i <= 20000; ++i) big.record({dbf_cell::integer(i), dbf_cell::text(u"a record")});
  big.write(folder, "BIG.DBF");

  if (!world.open()) return 1;
  save(out, "1-welcome");
  world.press_next();
  world.fill_login();
  world.set_text(1003, "localhost");
  save(out, "2-oracle");
  world.press_next();
  world.set_text(1003, QString::fromStdString(folder.string()));
  save(out, "3-settings");
  world.press_next();
  save(out, "4-encoding");
  world.press_next();
  auto* available = world.control<QListWidget>(1317);
  for (const char* name : {"big", "customer", "orders"}) {
    available->setCurrentItem(available->findItems(name, Qt::MatchExactly).front());
    QTest::mouseClick(world.control<QPushButton>(1101), Qt::LeftButton);
  }
  save(out, "5-tables");
  world.press_next();
  vesper_converter& converter = world.app().converter();
  if (!QTest::qWaitFor([&] { return converter.records_done > 0; }, 30000))
    std::fprintf(stderr, "the run ended before its picture was taken\n");
  save(out, "6-progress");
  world.wait_for_finish();
  save(out, "7-finish");
  world.press_finish();
  world.close();
  std::printf("pictures of the 7 pages written to %s\n", qPrintable(out));
  return 0;
}
