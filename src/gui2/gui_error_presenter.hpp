// The wizard's presentation of errors: dialogs over the wizard window, and
// every error and warning of a run kept in the shell's list for the finish
// page. The run calls it from its worker thread; the dialogs are shown on
// the user-interface thread while the worker waits for the answer.
#pragma once

#include "error_presenter.hpp"

class gui_error_presenter : public error_presenter {
 public:
  static constexpr const char* continue_text = "Continue";
  static constexpr const char* abort_text = "Abort";
  static constexpr const char* silence_text = "&Do not show this dialog box again";

  void show_internal_error(const std::string& what) override;
  bool show_error(const std::string& text, int level, bool& silent) override;
  // Warnings are listed for the finish page, not shown one by one: a run may
  // have many, and each would stop it until answered.
  void show_warning(const std::string& text, bool silent) override;
  bool run_errors_end_process() const override { return false; }
};
