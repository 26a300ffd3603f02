#include "wizard_page.hpp"

#include <QCheckBox>
#include <QPushButton>

#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"
#include "wizard_exit.hpp"
#include "wizard_images.hpp"
#include "wizard_shell.hpp"

wizard_page::wizard_page(buttons set, int help_context, const QString& title, const QString& subtitle)
    : buttons_(set), help_context_(help_context) {
  setTitle(title);
  setSubTitle(subtitle);
  if (title.isEmpty()) setPixmap(QWizard::WatermarkPixmap, wizard_images::watermark());
  if (set == buttons::finish) setFinalPage(true);
}

wizard_page::~wizard_page() { tk_log(1, "wizard_page::dtor"); }

wizard_shell& wizard_page::shell() const {
  auto* shell = qobject_cast<wizard_shell*>(wizard());
  if (!shell) TK_ASSERTION_FAILED();
  return *shell;
}

const wizard_boxes& wizard_page::boxes() const { return shell().boxes(); }

void wizard_page::on_set_active() {
  tk_log(1, "wizard_page::OnSetActive");
  shell().initialize();
  const bool has_help_button = has_help();
  shell().enable_button(QWizard::HelpButton, has_help_button);
  shell().enable_button(QWizard::CancelButton, buttons_ != buttons::finish);
  // A page's own buttons act on a click or Space: Enter stays the wizard's.
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
  page_init();
}

bool wizard_page::on_cancel() {
  tk_log(2, "wizard_page::on_cancel");
  return confirm_exit(boxes());
}

void wizard_page::invert_chbox(int id) {
  tk_log(1, "wizard_page::invert_chbox(%d)", id);
  auto* box = control<QCheckBox>(id);
  if (!box) TK_ASSERTION_FAILED();
  box->setChecked(!box->isChecked());
}

bool wizard_page::validatePage() { return on_next() == 0; }

// Qt calls this when the user leaves the page with Back.
void wizard_page::cleanupPage() { on_back(); }
