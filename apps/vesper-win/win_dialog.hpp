// A dialog window whose messages go to a C++ object: the base of the pages
// and of the modal dialogs. It reads and writes its numbered controls; the
// classes above it say what a message means.
#pragma once

#include <windows.h>

#include <string>

class win_dialog {
 public:
  virtual ~win_dialog() = default;
  win_dialog(const win_dialog&) = delete;
  win_dialog& operator=(const win_dialog&) = delete;

  HWND window() const { return window_; }
  HWND item(int id) const { return ::GetDlgItem(window_, id); }

  // A control's text, at most `limit` characters.
  std::u16string text(int id, std::size_t limit = 260) const;
  void set_text(int id, std::u16string_view text) const;
  void set_text(int id, const std::string& utf8) const;
  bool checked(int id) const;
  void set_checked(int id, bool on) const;
  void show_control(int id, bool shown) const;
  void enable(int id, bool enabled) const;
  // A bold, larger copy of the dialog's font for a heading (kept by the dialog).
  void make_heading(int id, int percent);

  // Shows the dialog template `id` modally over `parent`; the result it
  // closed with (close()), or -1 when it could not be shown.
  INT_PTR run_modal(int id, HWND parent);
  void close(INT_PTR result) const { ::EndDialog(window_, result); }
  // Centres the dialog over `owner` (the screen when null).
  void centre_over(HWND owner) const;

 protected:
  win_dialog() = default;
  // What the dialog does with a message; false passes it to the default.
  virtual INT_PTR on_message(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  // Binds `window` to `self` at WM_INITDIALOG, then routes every message.
  static INT_PTR dispatch(win_dialog* self, HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // A notification's answer (DWLP_MSGRESULT) and TRUE, as dialog procedures return it.
  INT_PTR answer(LONG_PTR result) const;

 private:
  // The heading font goes with the dialog.
  void release_font();
  static INT_PTR CALLBACK modal_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND window_ = nullptr;
  HFONT heading_font_ = nullptr;
};
