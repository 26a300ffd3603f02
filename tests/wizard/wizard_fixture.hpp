// What the wizard tests share: a private world for one case (a temporary
// folder with its own emulated Oracle service XE for scott/tiger and its own
// settings folder), an answerer that reads and answers the wizard's modal
// boxes and file dialogs as a user would, and steps through the pages.
#pragma once

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "error_handler.hpp"
#include "tk_logger.hpp"
#include "vesper_app.hpp"
#include "wizard_page.hpp"

class gui_error_dialog;
class wizard_page;

// What the program makes at its start and keeps to its end: the (disabled)
// trace and the error handler with the Oracle messages.
struct wizard_process {
  wizard_process();
  tk_logger logger;
  error_handler handler;
};

// A modal box the wizard showed.
struct shown_box {
  QString caption;
  QString text;
};

// Answers every modal box and error dialog as it appears: with the planned
// answers in turn (a button's text, "[x] " before it to tick the error
// dialog's check box first, or a file path for a file dialog), else with
// the default button.
class box_answerer {
 public:
  box_answerer();
  ~box_answerer();
  static constexpr const char* checked_prefix = "[x] ";
  void plan(const QString& answer) { answers_.push_back(answer); }
  const std::vector<shown_box>& seen() const { return seen_; }
  // The texts seen, one a line.
  QString texts() const;
  void forget() { seen_.clear(); }
  // While held, boxes stay up for someone else to look at and close.
  void hold(bool held) { held_ = held; }

 private:
  void look();
  void answer_error_dialog(gui_error_dialog& dialog);
  QTimer* timer_;
  std::deque<QString> answers_;
  std::vector<shown_box> seen_;
  // A file dialog is answered once it has been up for a while: answered at
  // once, its directory model, still loading, could undo the chosen name.
  QWidget* file_dialog_ = nullptr;
  int file_dialog_ticks_ = 0;
  bool held_ = false;
};

class wizard_fixture {
 public:
  // The wizard reports to `handler`, the process's.
  explicit wizard_fixture(error_handler& handler);
  ~wizard_fixture();
  wizard_fixture(const wizard_fixture&) = delete;
  wizard_fixture& operator=(const wizard_fixture&) = delete;

  // Starts the wizard as the program does with these arguments.
  bool open(const QStringList& arguments = {});
  // Closes it (the settings are written back).
  void close();

  vesper_app& app() { return *app_; }
  wizard_page* page() const;
  // The control numbered `id` on the current page.
  template <typename T>
  T* control(int id) const;
  void set_text(int id, const QString& text);
  void press_next();
  void press_back();
  void press_cancel();
  void press_finish();
  // Fills the Oracle page with scott/tiger on XE.
  void fill_login(const QString& password = "tiger");
  // From the welcome page to the tables page with `folder`.
  void walk_to_tables(const std::filesystem::path& folder);
  // Waits for the finish page; false after `seconds`.
  bool wait_for_finish(int seconds = 60);

  std::string sql(const std::string& statement) const;
  std::string count(const std::string& table) const;
  std::string tables() const;
  std::filesystem::path copy_of_samples(const std::string& name) const;
  std::filesystem::path folder(const std::string& name) const;
  std::filesystem::path settings_file() const;
  const std::filesystem::path& root() const { return root_; }

  box_answerer boxes;
  vesper_app::options options;

 private:
  std::string tool(const QStringList& args) const;

  std::filesystem::path root_;
  error_handler& handler_;
  std::unique_ptr<vesper_app> app_;
};

// The paths the build hands to the tests.
struct wizard_paths {
  static QString oci_library();
  static QString tool();
  static std::filesystem::path samples();
  static QString help_folder();
  static QString agent();
};

template <typename T>
T* wizard_fixture::control(int id) const {
  return page() ? page()->template control<T>(id) : nullptr;
}

// Runs `act` once on the dialog T when it is shown: from inside the modal
// loop of a dialog that a click opens.
template <typename T>
void when_shown(std::function<void(T&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<T*>(widget);
      if (!dialog || !dialog->isVisible()) continue;
      timer->stop();
      timer->deleteLater();
      act(*dialog);
      return;
    }
  });
  timer->start();
}
