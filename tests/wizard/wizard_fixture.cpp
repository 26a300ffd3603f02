#include "wizard_fixture.hpp"

#include <stdlib.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "gui_error_dialog.hpp"
#include "ora_error_texts.hpp"
#include "wizard_shell.hpp"

QString wizard_paths::oci_library() { return VESPER_WIZARD_OCI_LIBRARY; }
QString wizard_paths::tool() { return VESPER_WIZARD_TOOL; }
std::filesystem::path wizard_paths::samples() { return VESPER_WIZARD_SAMPLES; }
QString wizard_paths::help_folder() { return VESPER_WIZARD_HELP; }
QString wizard_paths::agent() { return VESPER_WIZARD_AGENT; }

wizard_process::wizard_process()
    : logger(nullptr, false, 3, false), handler(ora_error_texts::count(), ora_error_texts::table()) {}

box_answerer::box_answerer() : timer_(new QTimer) {
  timer_->setInterval(20);
  QObject::connect(timer_, &QTimer::timeout, [this] { look(); });
  timer_->start();
}

box_answerer::~box_answerer() { delete timer_; }

QString box_answerer::texts() const {
  QStringList all;
  for (const shown_box& box : seen_) all << box.text;
  return all.join('\n');
}

void box_answerer::look() {
  if (held_) return;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (!widget->isVisible()) continue;
    if (auto* box = qobject_cast<QMessageBox*>(widget)) {
      seen_.push_back({box->windowTitle(), box->text()});
      QAbstractButton* chosen = box->defaultButton();
      if (!answers_.empty()) {
        const QString answer = answers_.front();
        answers_.pop_front();
        for (QAbstractButton* b : box->buttons())
          if (b->text().remove('&') == answer) chosen = b;
      }
      if (chosen)
        chosen->click();
      else
        box->reject();
      return;
    }
    if (auto* dialog = qobject_cast<gui_error_dialog*>(widget)) {
      answer_error_dialog(*dialog);
      return;
    }
    if (auto* dialog = qobject_cast<QFileDialog*>(widget)) {
      if (dialog != file_dialog_) {
        file_dialog_ = dialog;
        file_dialog_ticks_ = 0;
      }
      if (++file_dialog_ticks_ < 10) return;
      file_dialog_ = nullptr;
      seen_.push_back({dialog->windowTitle(), {}});
      if (answers_.empty()) {
        dialog->reject();
        return;
      }
      // Typed into the name field, as a user does: selectFile() before the
      // directory model has loaded can leave the dialog without a name.
      if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
        name->setText(answers_.front());
      else
        dialog->selectFile(answers_.front());
      answers_.pop_front();
      QMetaObject::invokeMethod(dialog, "accept");
      return;
    }
  }
}

// A planned answer "[x] Continue" ticks the dialog's check box first.
void box_answerer::answer_error_dialog(gui_error_dialog& dialog) {
  seen_.push_back({dialog.windowTitle(), dialog.text()});
  QString answer;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  if (answer.startsWith(checked_prefix)) {
    answer.remove(0, QString(checked_prefix).size());
    if (auto* box = dialog.findChild<QCheckBox*>()) box->setChecked(true);
  }
  for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
    if (answer.isEmpty() ? b->isDefault() : b->text().remove('&') == answer) {
      b->click();
      return;
    }
  }
  dialog.reject();
}

wizard_fixture::wizard_fixture(error_handler& handler) : handler_(handler) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/vesper-wizard-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  root_ = pattern;
  std::filesystem::create_directories(root_ / "settings");
  qputenv("OCIEMU_HOME", QByteArray::fromStdString((root_ / "oracle").string()));
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((root_ / "settings").string()));
  qputenv("VESPER_OCI_LIB", wizard_paths::oci_library().toUtf8());
  qunsetenv("VESPER_DEFAULT_CODEPAGE");
  // The map and types files of the type-mapping dialog (and of the agent).
  qputenv("VESPER_DATA_DIR", VESPER_WIZARD_DATA);
  tool({"create-service", "XE", "scott", "tiger"});
  options.help_folder = wizard_paths::help_folder();
}

wizard_fixture::~wizard_fixture() {
  close();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

bool wizard_fixture::open(const QStringList& arguments) {
  app_ = std::make_unique<vesper_app>(handler_, options);
  return app_->open(arguments);
}

void wizard_fixture::close() { app_.reset(); }

wizard_page* wizard_fixture::page() const {
  if (!app_ || !app_->has_shell()) return nullptr;
  return qobject_cast<wizard_page*>(app_->shell().currentPage());
}

void wizard_fixture::set_text(int id, const QString& text) {
  auto* edit = control<QLineEdit>(id);
  if (!edit) throw std::runtime_error("no edit " + std::to_string(id) + " on this page");
  edit->setText(text);
}

void wizard_fixture::press_next() {
  wizard_shell& shell = app_->shell();
  QAbstractButton* next = shell.button(page()->isCommitPage() ? QWizard::CommitButton : QWizard::NextButton);
  QTest::mouseClick(next, Qt::LeftButton);
}

void wizard_fixture::press_back() { QTest::mouseClick(app_->shell().button(QWizard::BackButton), Qt::LeftButton); }
void wizard_fixture::press_cancel() { QTest::mouseClick(app_->shell().button(QWizard::CancelButton), Qt::LeftButton); }
void wizard_fixture::press_finish() { QTest::mouseClick(app_->shell().button(QWizard::FinishButton), Qt::LeftButton); }

void wizard_fixture::fill_login(const QString& password) {
  set_text(1003, "");
  set_text(1004, "1521");
  set_text(1014, "XE");
  set_text(1012, "scott");
  set_text(1013, password);
}

void wizard_fixture::walk_to_tables(const std::filesystem::path& folder) {
  press_next();
  fill_login();
  press_next();
  set_text(1003, QString::fromStdString(folder.string()));
  press_next();
  press_next();
}

bool wizard_fixture::wait_for_finish(int seconds) {
  return QTest::qWaitFor([&] { return page() && page()->isFinalPage(); }, seconds * 1000);
}

std::string wizard_fixture::tool(const QStringList& args) const {
  QProcess process;
  process.start(wizard_paths::tool(), args);
  process.waitForFinished(60000);
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
    throw std::runtime_error("ociemu " + args.join(' ').toStdString() + ": " +
                             process.readAllStandardError().toStdString());
  return process.readAllStandardOutput().toStdString();
}

std::string wizard_fixture::sql(const std::string& statement) const {
  return tool({"sql", "XE", "scott", "tiger", QString::fromStdString(statement)});
}

std::string wizard_fixture::count(const std::string& table) const {
  const std::string out = sql("SELECT COUNT(*) FROM \"" + table + "\"");
  const std::size_t line = out.find('\n');
  return line == std::string::npos ? out : out.substr(line + 1, out.size() - line - 2);
}

std::string wizard_fixture::tables() const { return tool({"tables", "XE", "scott", "tiger"}); }

std::filesystem::path wizard_fixture::folder(const std::string& name) const {
  const std::filesystem::path path = root_ / name;
  std::filesystem::create_directories(path);
  return path;
}

std::filesystem::path wizard_fixture::copy_of_samples(const std::string& name) const {
  const std::filesystem::path path = folder(name);
  for (const auto& entry : std::filesystem::directory_iterator(wizard_paths::samples()))
    if (entry.is_regular_file()) std::filesystem::copy_file(entry.path(), path / entry.path().filename());
  return path;
}

std::filesystem::path wizard_fixture::settings_file() const { return root_ / "settings" / "Tolvane" / "Vesper.reg"; }
