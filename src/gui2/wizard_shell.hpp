// The wizard window: one page at a time with Back, Next, Finish, Cancel and
// Help, the title "Vesper 3.3", our header and watermark images. One per
// process. It also shows the wizard's message, error and question boxes,
// opens the help pages in the user's browser, and keeps the list of the
// run's errors and warnings that the finish page shows.
#pragma once

#include <QWizard>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "tk_singleton.hpp"

class wizard_page;

class wizard_shell : public QWizard, public tk_singleton<wizard_shell> {
  Q_OBJECT

 public:
  // Errors and warnings kept for the finish page; later ones are only logged.
  static constexpr std::size_t error_list_limit = 20;
  // Help context of a page whose help is the manual's first page.
  static constexpr int default_help_topic = 0;
  static constexpr const char* missing_help = "Help file does not exist. Reinstall the program.";

  // `help_folder`: where the help pages are (empty: beside the program).
  explicit wizard_shell(QString help_folder = {});
  ~wizard_shell() override;

  // The shell, or null before it exists (QWidget has a find of its own).
  static wizard_shell* find() noexcept { return tk_singleton<wizard_shell>::find(); }
  static wizard_shell& instance() { return tk_singleton<wizard_shell>::instance(); }

  // Adds `page` (owned by the shell from then on) after the pages added before.
  void add_page(wizard_page* page);

  // Boxes over the wizard window. The caption is the title followed by the
  // kind ("Vesper 3.3 Error"), or only the kind before the wizard was shown.
  static void error(const std::string& text);
  static void message(const std::string& text);
  // True when the user answers Yes; `no_default` makes No the default button.
  static bool question(const std::string& text, bool no_default);
  static bool is_initialized();
  static QString caption(const char* kind);

  // Opens the help page of `context` (default_help_topic: the first page).
  void display_help(int context = default_help_topic);
  void enable_button(WizardButton which, bool enable);

  // The run's problems for the finish page (thread-safe).
  void add_error(const std::string& text);
  std::vector<std::string> errors() const;
  // Empties the list when a run starts: it tells of that run only.
  void clear_errors();

  // Closes the wizard without asking (after the user confirmed elsewhere).
  void close_now();
  // Marks the shell as shown: title, icon and place are set once.
  void initialize();

  // How a help page reaches the browser; tests replace it.
  std::function<bool(const QUrl&)> open_url;

 public slots:
  void reject() override;

 private:
  void on_page_changed(int id);
  void on_help();
  wizard_page* current_wizard_page() const;

  QString help_folder_;
  std::atomic<bool> initialized_{false};  // read by the run's error presenter
  mutable std::mutex errors_mutex_;
  std::vector<std::string> errors_;
};
