// The wizard window on Windows: a Wizard97 property sheet of the pages
// added to it, titled "Vesper 3.3", with our header image and watermark.
// It owns the pages, the boxes shown over it and the list of the run's
// errors and warnings that the finish page shows, and opens the help pages
// beside the program with ShellExecuteW.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win_boxes.hpp"
#include "wizard_error_list.hpp"

class win_page;

class win_shell {
 public:
  static constexpr const char* missing_help = "Help file does not exist. Reinstall the program.";
  static constexpr int default_help_topic = 0;

  // `prompts`: where messages go (null: this shell's message boxes);
  // `help_folder`: the help pages (empty: "help" beside the program).
  win_shell(const wizard_prompts* prompts, std::wstring help_folder);
  ~win_shell();
  win_shell(const win_shell&) = delete;
  win_shell& operator=(const win_shell&) = delete;

  void add_page(std::unique_ptr<win_page> page);
  // Shows the sheet and returns when it closes.
  void run_modal();
  // Shows the sheet and returns at once; the caller pumps its messages
  // (with PropSheet_IsDialogMessage) until closed() and then calls destroy().
  HWND open_modeless();
  bool closed() const;
  void destroy();

  HWND window() const { return window_; }
  const wizard_prompts& boxes() const { return prompts_ ? *prompts_ : own_boxes_; }
  // The message boxes of this window, whoever answers the prompts.
  const win_boxes& own_boxes() const { return own_boxes_; }
  wizard_error_list& error_list() { return errors_; }
  bool is_initialized() const { return window_ != nullptr; }
  // The exterior pages' picture at `width` x `height` pixels (kept by the shell).
  HBITMAP watermark(int width, int height);
  // The window's title, "Vesper 3.3".
  const std::wstring& caption() const { return caption_; }

  // A page became the current one: the first time, the window gets its
  // title and icon and the middle of the screen.
  void page_activated(win_page& page, HWND sheet);
  win_page* current_page() const { return current_; }
  // Moves to `page` (the run's end shows the finish page by itself).
  void go_to(const win_page& page);
  // One of the sheet's own buttons (IDCANCEL, IDHELP...).
  void enable_button(int id, bool enabled);
  // Closes the wizard without asking: the user confirmed elsewhere.
  void close_now();
  bool closing() const { return closing_; }

  // Opens the help page of `context` (default_help_topic: the first page).
  void display_help(int context);
  // How a help page reaches the browser; tests replace it.
  std::function<bool(const std::wstring& path)> open_document;

 private:
  PROPSHEETHEADERW header(bool modeless, std::vector<HPROPSHEETPAGE>& pages);
  void centre();

  const wizard_prompts* prompts_;
  std::wstring help_folder_;
  std::wstring caption_;
  win_boxes own_boxes_;
  wizard_error_list errors_;
  std::vector<std::unique_ptr<win_page>> pages_;
  HWND window_ = nullptr;
  win_page* current_ = nullptr;
  bool closing_ = false;
  HBITMAP watermark_ = nullptr;
  HBITMAP header_image_ = nullptr;
  HICON icon_ = nullptr;
};
