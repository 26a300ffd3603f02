#include "wizard_shell.hpp"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <QWizardPage>

#include "tk_logger.hpp"
#include "wizard_images.hpp"
#include "wizard_page.hpp"

namespace {

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
  // Next (or Finish) is the default button: Enter in a field goes on, and
  // each page starts with the focus in its first field.
  setOptions(QWizard::NoBackButtonOnStartPage | QWizard::DisabledBackButtonOnLastPage | QWizard::HaveHelpButton |
             QWizard::HelpButtonOnRight);
  setButtonText(QWizard::CommitButton, buttonText(QWizard::NextButton));
  setPixmap(QWizard::LogoPixmap, wizard_images::header());
  connect(this, &QWizard::currentIdChanged, this, &wizard_shell::on_page_changed);
  connect(this, &QWizard::helpRequested, this, &wizard_shell::on_help);
  auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
  connect(f1, &QShortcut::activated, this, &wizard_shell::on_help);
}

wizard_shell::~wizard_shell() = default;

void wizard_shell::add_page(wizard_page* page) { addPage(page); }

void wizard_shell::initialize() {
  if (is_initialized()) return;
  setWindowTitle(title_text);
  setWindowIcon(wizard_images::icon());
  boxes_.mark_shown();
}

void wizard_shell::setVisible(bool visible) {
  if (visible && !placed_) {
    placed_ = true;
    const QSize size = size_for_every_page();
    fill_watermarks(size.height());
    centre_on_screen(size);
  }
  QWizard::setVisible(visible);
}

// QWizard grows the window to the page shown; sized for the largest one
// first, it never moves under the user's mouse.
QSize wizard_shell::size_for_every_page() {
  QSize size;
  for (int id : pageIds()) size = size.expandedTo(size_for(*page(id)));
  return size;
}

// The window that shows a page of `page`'s size with its header or
// watermark, measured on a wizard of the same style that is never shown.
QSize wizard_shell::size_for(const QWizardPage& page) const {
  QWizard probe;
  probe.setWizardStyle(wizardStyle());
  probe.setOptions(options());
  probe.setPixmap(QWizard::LogoPixmap, pixmap(QWizard::LogoPixmap));
  auto* stand_in = new QWizardPage;
  stand_in->setTitle(page.title());
  stand_in->setSubTitle(page.subTitle());
  stand_in->setPixmap(QWizard::WatermarkPixmap, page.pixmap(QWizard::WatermarkPixmap));
  stand_in->setMinimumSize(page.sizeHint().expandedTo(page.minimumSizeHint()).expandedTo(page.minimumSize()));
  probe.addPage(stand_in);
  probe.restart();
  return probe.sizeHint();
}

// The watermark stands above the buttons: drawn as high as that space, it
// leaves no empty band under it.
void wizard_shell::fill_watermarks(int window_height) {
  QWizardPage tiny;
  tiny.setPixmap(QWizard::WatermarkPixmap, wizard_images::watermark());
  tiny.setFixedSize(1, 1);
  const int below = size_for(tiny).height() - wizard_images::watermark_height;
  const QPixmap watermark = wizard_images::watermark(window_height - below);
  for (int id : pageIds())
    if (page(id)->title().isEmpty()) page(id)->setPixmap(QWizard::WatermarkPixmap, watermark);
}

// Within the screen, so that every button can be reached however large the
// text is scaled.
void wizard_shell::centre_on_screen(QSize size) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) {
    resize(size);
    return;
  }
  // The frame's margins are known once the window exists.
  create();
  const QSize frame = frameGeometry().size() - geometry().size();
  const QRect room = screen->availableGeometry();
  QRect window(QPoint(), (size + frame).boundedTo(room.size()));
  window.moveCenter(room.center());
  resize(window.size() - frame);
  move(window.topLeft());
}

void wizard_shell::display_help(int context) {
  tk_log(2, "wizard_shell::display_help(%d)", context);
  const QString page = help_folder_ + "/" + help_page_name(context);
  if (!QFileInfo(page).isFile()) {
    boxes_.error(missing_help);
    return;
  }
  if (!open_url(QUrl::fromLocalFile(page))) tk_log(3, "No browser opened %s", page.toStdString());
}

void wizard_shell::enable_button(WizardButton which, bool enable) {
  tk_log(2, "wizard_shell::enable_button(%08X)", static_cast<unsigned>(which));
  if (QAbstractButton* b = button(which)) b->setEnabled(enable);
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
