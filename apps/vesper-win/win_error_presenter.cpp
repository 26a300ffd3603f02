#include "win_error_presenter.hpp"

#include "tk_exception.hpp"
#include "win_boxes.hpp"
#include "win_continue_dialog.hpp"
#include "win_error_dialog.hpp"
#include "win_shell.hpp"
#include "win_ui_calls.hpp"

namespace {
// Boxes without a window, for errors before or after the wizard's.
const win_boxes& no_window() {
  static const win_boxes boxes;
  return boxes;
}
}  // namespace

win_error_presenter::win_error_presenter(win_shell* shell, const win_ui_calls& ui) : shell_(shell), ui_(ui) {}

bool win_error_presenter::listing() const { return shell_ && shell_->is_initialized(); }

void win_error_presenter::show_internal_error(const std::string& what) {
  ui_.run([&] {
    const win_boxes& boxes = shell_ ? shell_->own_boxes() : no_window();
    win_error_dialog(boxes, what).show(boxes.window());
  });
}

bool win_error_presenter::show_error(const std::string& text, int level, bool& silent) {
  if (listing()) shell_->error_list().add(text);
  if (silent) return false;
  bool abort = false;
  ui_.run([&] {
    if (level == tk_exception::item_level) {
      const win_boxes& boxes = shell_ ? shell_->own_boxes() : no_window();
      win_continue_dialog dialog(boxes, text);
      abort = dialog.abort_run(boxes.window());
      if (!abort) silent = dialog.do_not_show_again();
    } else {
      (shell_ ? shell_->boxes() : no_window()).error(text);
    }
  });
  return abort;
}

void win_error_presenter::show_warning(const std::string& text, bool) {
  if (listing()) shell_->error_list().add("Warning: " + text);
}
