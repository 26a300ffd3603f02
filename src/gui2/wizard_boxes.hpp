// The wizard's message, error and question boxes. A box is modal over the
// wizard window while that window is visible, else over nothing; its
// caption is the wizard's title and the kind ("Vesper 3.3 Error") once the
// window has been shown, only the kind ("Error") before. The shell owns the
// boxes of its window; what is shown before there is a window (a damaged
// settings file, a missing profile) or after it has gone uses boxes made
// without one.
#pragma once

#include <QString>
#include <atomic>
#include <string>

#include "wizard_prompts.hpp"

class QWidget;

class wizard_boxes : public wizard_prompts {
 public:
  static constexpr const char* title_text = "Vesper 3.3";

  // `window`: the wizard window the boxes belong to (borrowed); null: none.
  explicit wizard_boxes(QWidget* window = nullptr) : window_(window) {}
  wizard_boxes(const wizard_boxes&) = delete;
  wizard_boxes& operator=(const wizard_boxes&) = delete;

  void error(const std::string& text) const override;
  void message(const std::string& text) const override;
  // True when the user answers Yes; `no_default` makes No the default button.
  bool question(const std::string& text, bool no_default) const override;

  // The caption of a box or dialog of `kind` ("Error", "Message").
  QString caption(const char* kind) const;
  // Whether the window has been shown; safe from any thread (the run's
  // error presenter asks from its worker).
  bool window_shown() const;
  // Called once the window is on the screen: the title joins the captions.
  void mark_shown() { shown_ = true; }

 private:
  QWidget* parent() const;

  QWidget* window_;
  std::atomic<bool> shown_{false};
};
