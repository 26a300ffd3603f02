// The wizard's message, error and question boxes on Windows: MessageBoxW,
// modal over the wizard window once it is shown (over nothing before), with
// the caption "Vesper 3.3 Error" (only "Error" before the window is shown).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "wizard_prompts.hpp"

class win_boxes : public wizard_prompts {
 public:
  static constexpr const char* title_text = "Vesper 3.3";

  win_boxes() = default;
  win_boxes(const win_boxes&) = delete;
  win_boxes& operator=(const win_boxes&) = delete;

  void error(const std::string& text) const override;
  void message(const std::string& text) const override;
  bool question(const std::string& text, bool no_default) const override;

  // The wizard window is on the screen: boxes are owned by it and say its title.
  void set_window(HWND window) { window_ = window; }
  HWND window() const { return window_; }
  // The caption of a box of `kind` ("Error", "Message"); safe from any thread.
  std::wstring caption(const char* kind) const;

 private:
  int show(const std::string& text, const char* kind, UINT style) const;

  std::atomic<HWND> window_{nullptr};
};
