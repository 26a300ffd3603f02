#include "wizard_shell.hpp"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QUrl>

#include "tk_logger.hpp"
#include "wizard_images.hpp"
#include "wizard_page.hpp"

namespace {

QWidget* box_parent() {
  wizard_shell* shell = wizard_shell::find();
  return shell && shell->isVisible() ? shell : nullptr;
}

int show_box(QMessageBox::Icon icon, const char* kind, const std::string& text, QMessageBox::StandardButtons buttons,
             QMessageBox::StandardButton default_button) {
  QMessageBox box(icon, wizard_shell::caption(kind), QString::fromStdString(text), buttons, box_parent());
  box.setDefaultButton(default_button);
  return box.exec();
}

QString help_page_name(int context) {
  return context == wizard_shell::default_help_topic ? QStringLiteral("index.html")
                                                     : QStringLiteral("%1.html").arg(context);
}

// The manual beside the program in the build folder, else where an
// installation keeps it (share/doc/vesper beside its bin folder).
QString installed_help_folder() {
  const QString beside = QCoreApplication::applicationDirPath() + "/vesper-help";
  if (QFileInfo::exists(beside + "/index.html")) return beside;
  return QCoreApplication::applicationDirPath() + "/../share/doc/vesper";
}

}  // namespace

wizard_shell::wizard_shell(QString help_folder)
    : open_url([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      help_folder_(help_folder.isEmpty() ? installed_help_folder() : help_folder) {
  setWindowTitle(title_text);
  setWindowIcon(wizard_images::icon());
  setWizardStyle(QWizard::ModernStyle);
  setOptions(QWizard::NoBackButtonOnStartPage | QWizard::DisabledBackButtonOnLastPage | QWizard::HaveHelpButton |
             QWizard::HelpButtonOnRight | QWizard::NoDefaultButton);
  setButtonText(QWizard::CommitButton, buttonText(QWizard::NextButton));
  setPixmap(QWizard::LogoPixmap, wizard_images::header());
  connect(this, &QWizard::currentIdChanged, this, &wizard_shell::on_page_changed);
  connect(this, &QWizard::helpRequested, this, &wizard_shell::on_help);
  auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
  connect(f1, &QShortcut::activated, this, &wizard_shell::on_help);
}

wizard_shell::~wizard_shell() = default;

void wizard_shell::add_page(wizard_page* page) { addPage(page); }

QString wizard_shell::caption(const char* kind) {
  return is_initialized() ? QString("%1 %2").arg(QString(title_text), kind) : QString(kind);
}

bool wizard_shell::is_initialized() {
  tk_log(1, "wizard_shell::is_initialized");
  wizard_shell* shell = find();
  if (!shell) {
    tk_log(1, "Before return false");
    return false;
  }
  tk_log(1, "Singleton has been initialized");
  return shell->initialized_;
}

void wizard_shell::error(const std::string& text) {
  tk_log(3, "wizard_shell::error(%s)", text);
  show_box(QMessageBox::Critical, "Error", text, QMessageBox::Ok, QMessageBox::Ok);
}

void wizard_shell::message(const std::string& text) {
  tk_log(2, "wizard_shell::message(%s)", text);
  show_box(QMessageBox::Information, "Message", text, QMessageBox::Ok, QMessageBox::Ok);
}

bool wizard_shell::question(const std::string& text, bool no_default) {
  tk_log(2, "wizard_shell::question(%s)", text);
  return show_box(QMessageBox::Question, "Question", text, QMessageBox::Yes | QMessageBox::No,
                  no_default ? QMessageBox::No : QMessageBox::Yes) == QMessageBox::Yes;
}

void wizard_shell::initialize() {
  if (initialized_) return;
  setWindowTitle(title_text);
  setWindowIcon(wizard_images::icon());
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  initialized_ = true;
}

void wizard_shell::display_help(int context) {
  tk_log(2, "wizard_shell::display_help(%d)", context);
  const QString page = help_folder_ + "/" + help_page_name(context);
  if (!QFileInfo(page).isFile()) {
    error(missing_help);
    return;
  }
  if (!open_url(QUrl::fromLocalFile(page))) tk_log(3, "No browser opened %s", page.toStdString());
}

void wizard_shell::enable_button(WizardButton which, bool enable) {
  tk_log(2, "wizard_shell::enable_button(%08X)", static_cast<unsigned>(which));
  if (QAbstractButton* b = button(which)) b->setEnabled(enable);
}

void wizard_shell::add_error(const std::string& text) {
  std::lock_guard lock(errors_mutex_);
  if (errors_.size() < error_list_limit) errors_.push_back(text);
}

void wizard_shell::clear_errors() {
  std::lock_guard lock(errors_mutex_);
  errors_.clear();
}

std::vector<std::string> wizard_shell::errors() const {
  std::lock_guard lock(errors_mutex_);
  return errors_;
}

wizard_page* wizard_shell::current_wizard_page() const { return qobject_cast<wizard_page*>(currentPage()); }

void wizard_shell::on_page_changed(int) {
  if (wizard_page* page = current_wizard_page()) page->on_set_active();
}

void wizard_shell::on_help() {
  wizard_page* page = current_wizard_page();
  if (page && page->has_help()) display_help(page->help_context());
}

// Cancel, Escape and the window's close button all come here.
void wizard_shell::reject() {
  wizard_page* page = current_wizard_page();
  if (!page || page->on_cancel()) close_now();
}

void wizard_shell::close_now() { QWizard::reject(); }
