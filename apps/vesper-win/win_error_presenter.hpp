// The Windows wizard's presentation of errors: the error dialogs over the
// wizard window, and every error and warning of a run kept in the shell's
// list for the finish page. The run calls it from its worker thread; the
// dialogs are shown on the user-interface thread while the worker waits.
#pragma once

#include "error_presenter.hpp"

class win_shell;
class win_ui_calls;

class win_error_presenter : public error_presenter {
 public:
  // `shell` null: there is no wizard window (before it is made, after it
  // has closed); the dialogs then stand alone. Both are borrowed.
  win_error_presenter(win_shell* shell, const win_ui_calls& ui);

  void show_internal_error(const std::string& what) override;
  bool show_error(const std::string& text, int level, bool& silent) override;
  // Listed for the finish page rather than shown one by one.
  void show_warning(const std::string& text, bool silent) override;
  bool run_errors_end_process() const override { return false; }

 private:
  bool listing() const;

  win_shell* shell_;
  const win_ui_calls& ui_;
};
