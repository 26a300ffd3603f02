// A page of the Windows wizard: a dialog template shown by the property
// sheet, with the wizard buttons it enables, its header texts (none on the
// welcome and finish pages, which stand beside the watermark) and its help
// context. It turns the sheet's notifications into page_init, on_next,
// on_back and on_cancel, which the pages fill in as thin views over their
// models.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "win_dialog.hpp"

class win_shell;
class wizard_prompts;

class win_page : public win_dialog {
 public:
  enum class buttons { next, back_next, none, finish };
  static constexpr int no_help = -1;

  // `title` and `subtitle` null: an exterior page without a header.
  win_page(int dialog, buttons shown, int help_context, const char* title = nullptr, const char* subtitle = nullptr);

  // The sheet's page for this object (the shell outlives it).
  HPROPSHEETPAGE create(win_shell& shell);
  HPROPSHEETPAGE handle() const { return handle_; }
  int help_context() const { return help_context_; }

 protected:
  // Once, when the page's controls exist.
  virtual void on_init() {}
  // Each time the page is shown: the model's values into the controls.
  virtual void page_init() {}
  // Next and Back: true moves on, false keeps the page (the user was told why).
  virtual bool on_next() { return true; }
  virtual bool on_back() { return true; }
  // Cancel or the window's close box: true lets the wizard close.
  virtual bool on_cancel();
  virtual void on_command(int /*id*/, int /*code*/) {}
  // A control's notification other than the sheet's own; true when handled,
  // with `result` as the answer.
  virtual bool on_notify(const NMHDR& /*header*/, LONG_PTR& /*result*/) { return false; }
  virtual void on_timer(UINT_PTR /*id*/) {}

  win_shell& shell() const { return *shell_; }
  const wizard_prompts& boxes() const;
  HWND sheet() const { return ::GetParent(window()); }

 private:
  INT_PTR on_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR on_sheet_notify(const NMHDR& header);
  void activate();
  void show_watermark();
  INT_PTR exterior_colour(UINT message, HDC context) const;
  static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  int dialog_;
  buttons buttons_;
  int help_context_;
  std::wstring title_, subtitle_;
  win_shell* shell_ = nullptr;
  HPROPSHEETPAGE handle_ = nullptr;
};
