// A window over the wizard that shows a long text to read, select and copy:
// the tables page's Check report and the finish page's log. A resizable
// dialog (136) with the text in a read-only edit, unwrapped and in a
// fixed-width font (reports line up their columns), Copy and Close.
#pragma once

#include <string>

#include "win_dialog.hpp"

class win_text_window : public win_dialog {
 public:
  // Where the caret starts: a report is read from its start, a log from its
  // end, which tells of the run just made.
  enum class start { top, end };

  win_text_window(std::wstring title, const std::string& text, start at = start::top);
  ~win_text_window() override;
  // Shows the window modally over `owner` until the user closes it.
  void show(HWND owner);

 private:
  INT_PTR on_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void on_init();
  void caret_to_end() const;
  void use_fixed_font();
  SIZE fitting_client_size() const;
  void size_and_centre();
  // The text above, Copy and Close below it at the right, for a client area of `width` x `height`.
  void lay_out(int width, int height) const;
  int dialog_units_x(int units) const;
  int dialog_units_y(int units) const;

  std::wstring title_;
  std::wstring text_;
  start start_;
  HFONT font_ = nullptr;
  SIZE smallest_{};  // the window's own smallest size, frame included
};
