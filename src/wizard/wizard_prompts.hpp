// How the wizard's logic speaks to the user without knowing the toolkit:
// a message, an error or a yes/no question, each modal over the wizard.
// The Qt wizard shows them in its boxes, the Win32 wizard in message boxes,
// the model's tests record them and answer as a user would.
#pragma once

#include <functional>
#include <string>

// What a check found: nothing, or a text to show as a message or an error.
struct wizard_notice {
  enum class kind { none, message, error };
  kind how = kind::none;
  std::string text;

  static wizard_notice message(std::string text) { return {kind::message, std::move(text)}; }
  static wizard_notice error(std::string text) { return {kind::error, std::move(text)}; }
  bool empty() const { return how == kind::none; }
};

class wizard_prompts {
 public:
  virtual ~wizard_prompts() = default;
  virtual void error(const std::string& text) const = 0;
  virtual void message(const std::string& text) const = 0;
  // True when the user answers Yes; `no_default` makes No the default.
  virtual bool question(const std::string& text, bool no_default) const = 0;

  // Shows `notice` as its kind says; true when there was nothing to show.
  bool show(const wizard_notice& notice) const {
    if (notice.how == wizard_notice::kind::error) error(notice.text);
    if (notice.how == wizard_notice::kind::message) message(notice.text);
    return notice.empty();
  }
};

// Runs a slow step off the user-interface thread while the view shows it
// is busy (the connecting window), and returns once the step has ended;
// the step never raises.
using wizard_busy_runner = std::function<void(const std::function<void()>&)>;
