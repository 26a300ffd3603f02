// The wizard's presentation of errors: dialogs over the wizard window, and
// every error and warning of a run kept in the shell's list for the finish
// page. The run calls it from its worker thread; the dialogs are shown on
// the user-interface thread while the worker waits for the answer.
#pragma once

#include "error_presenter.hpp"
#include "wizard_boxes.hpp"

class wizard_shell;

class gui_error_presenter : public error_presenter {
 public:
  // Shows into `shell` (borrowed: the program installs another presenter
  // before the shell goes) and lists a run's problems there once it has
  // been shown. Null: there is no wizard window, before it is made or after
  // it has closed; boxes then stand alone.
  explicit gui_error_presenter(wizard_shell* shell);

  void show_internal_error(const std::string& what) override;
  bool show_error(const std::string& text, int level, bool& silent) override;
  // Warnings are listed for the finish page, not shown one by one: a run may
  // have many, and each would stop it until answered.
  void show_warning(const std::string& text, bool silent) override;
  bool run_errors_end_process() const override { return false; }

 private:
  const wizard_boxes& boxes() const;
  void list_for_finish_page(const std::string& text);
  // Continue (the default) or Abort, with the switch that silences later ones.
  bool ask_continue(const std::string& text, bool& silent) const;

  wizard_shell* shell_;
  wizard_boxes no_window_;
};
