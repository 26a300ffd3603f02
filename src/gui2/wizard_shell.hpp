// The wizard window: one page at a time with Back, Next, Finish, Cancel and
// Help, the title "Vesper 3.3", our header and watermark images. It owns
// the message, error and question boxes shown over it, opens the help pages
// in the user's browser, and keeps the list of the run's errors and
// warnings that the finish page shows. Pages reach it through the wizard
// they are added to; everything else is handed it.
#pragma once

#include <QWizard>
#include <functional>
#include <string>
#include <vector>

#include "wizard_boxes.hpp"
#include "wizard_error_list.hpp"

class wizard_page;

class wizard_shell : public QWizard {
  Q_OBJECT

 public:
  // Errors and warnings kept for the finish page; later ones are only logged.
  static constexpr std::size_t error_list_limit = wizard_error_list::limit;
  // Help context of a page whose help is the manual's first page.
  static constexpr int default_help_topic = 0;
  static constexpr const char* title_text = wizard_boxes::title_text;
  static constexpr const char* missing_help = "Help file does not exist. Reinstall the program.";

  // `help_folder`: where the help pages are (empty: beside the program).
  explicit wizard_shell(QString help_folder = {});
  // The boxes and the error list go before the pages, which QWizard deletes:
  // a run still going must be stopped before the shell goes.
  ~wizard_shell() override;

  // Adds `page` (owned by the shell from then on) after the pages added before.
  void add_page(wizard_page* page);

  // The boxes over this window.
  const wizard_boxes& boxes() const { return boxes_; }
  // Whether the window has been shown (initialize has run).
  bool is_initialized() const { return boxes_.window_shown(); }

  // Opens the help page of `context` (default_help_topic: the first page).
  void display_help(int context = default_help_topic);
  void enable_button(WizardButton which, bool enable);

  // The run's problems for the finish page (thread-safe).
  void add_error(const std::string& text) { errors_.add(text); }
  std::vector<std::string> errors() const { return errors_.items(); }
  // Empties the list when a run starts: it tells of that run only.
  void clear_errors() { errors_.clear(); }
  // The list itself, which the run's and the finish page's models share.
  wizard_error_list& error_list() { return errors_; }

  // Closes the wizard without asking (after the user confirmed elsewhere).
  void close_now();
  // Marks the shell as shown: title and icon are set once.
  void initialize();
  // Shown the first time, the window takes the size of its largest page and
  // the middle of the screen: it keeps that size from page to page.
  void setVisible(bool visible) override;

  // How a help page reaches the browser; tests replace it.
  std::function<bool(const QUrl&)> open_url;

 public slots:
  void reject() override;

 private:
  void on_page_changed(int id);
  void on_help();
  wizard_page* current_wizard_page() const;
  QSize size_for_every_page();
  QSize size_for(const QWizardPage& page) const;
  void fill_watermarks(int window_height);
  void centre_on_screen(QSize size);

  QString help_folder_;
  bool placed_ = false;
  wizard_boxes boxes_{this};  // knows whether the window was shown
  wizard_error_list errors_;
};
