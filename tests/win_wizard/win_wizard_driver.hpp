// Drives the real Win32 wizard in-process as a user would: the property
// sheet shown modeless, its messages pumped here, buttons pressed with
// PropSheet_PressButton and BM_CLICK, fields typed with SetDlgItemTextW,
// list rows chosen with list-view messages. Modal dialogs are answered by a
// script that a timer runs inside their own message loop. The user's
// answers to the wizard's boxes come from a recording double.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "error_handler.hpp"
#include "win_wizard_app.hpp"
#include "wizard_prompts.hpp"

// The boxes a user would see, in order; questions get the planned answers, then No.
class recorded_prompts : public wizard_prompts {
 public:
  void error(const std::string& text) const override { shown.push_back("error: " + text); }
  void message(const std::string& text) const override { shown.push_back("message: " + text); }
  bool question(const std::string& text, bool) const override {
    shown.push_back("question: " + text);
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }

  mutable std::vector<std::string> shown;
  mutable std::deque<bool> answers;
};

class win_wizard_driver {
 public:
  // `settings_path`: a registry key standing in for the user's own;
  // `real_boxes`: the wizard's own message boxes rather than the recording.
  explicit win_wizard_driver(const std::string& settings_path, bool real_boxes = false);
  ~win_wizard_driver();

  // Opens the wizard and shows its sheet; `arguments`: a quick launch's profile.
  void open(const std::vector<std::string>& arguments = {});
  bool closed() const;
  // The current page's index (0 welcome ... 6 finish), -1 once closed.
  int page_index() const;
  HWND page() const;

  void type(int id, const std::string& text) const;
  std::string text(int id) const;
  void click(int id);
  // One of the sheet's buttons (PSBTN_NEXT...), then the messages it causes.
  void press(int button);
  // Pumps the sheet's messages until `done` or `timeout_ms`; whether `done`.
  bool pump_until(const std::function<bool()>& done, int timeout_ms);
  void pump_for(int milliseconds);

  // The rows' first texts of the page's list view `id`.
  std::vector<std::string> rows(int id) const;
  int row_of(int id, const std::string& text) const;
  void select_row(int id, int row) const;
  // Activates a row as a double click or Enter does.
  void activate_row(int id, int row);

  // Runs `script` on the next window titled `title` that opens (a modal
  // dialog), from inside that dialog's message loop.
  void when_dialog(const std::string& title, std::function<void(HWND)> script);

  recorded_prompts prompts;
  error_handler handler;
  win_wizard_app app;
  HWND sheet = nullptr;
};
