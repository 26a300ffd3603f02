// How a front end shows errors to its user. The console agent prints them;
// the wizard installs one that shows dialogs.
#pragma once

#include <string>

class error_presenter {
 public:
  virtual ~error_presenter() = default;

  // Shows an internal error; the process ends right after.
  virtual void show_internal_error(const std::string& what) = 0;
  // Shows a level-0 or level-1 error whose text has no line feeds left.
  // May turn `silent` on (the wizard's "do not show again"). Returns true
  // when the user asked to abort the run.
  virtual bool show_error(const std::string& text, int level, bool& silent) = 0;
  // Shows a warning (text without line feeds): data the run could not carry
  // over whole. `silent` is the user's choice; a list of the run's problems
  // may keep it anyway.
  virtual void show_warning(const std::string& text, bool silent) = 0;
  // Whether a level-1 error ends the process (console) or only the run (wizard).
  virtual bool run_errors_end_process() const = 0;
};
