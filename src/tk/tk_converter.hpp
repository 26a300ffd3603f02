// What every converter carries: whether its run has ended, and the console
// switch.
#pragma once

#include <atomic>



class tk_converter {
 public:
  tk_converter();
  virtual ~tk_converter() = default;

  virtual void set_silent(bool on) { silent = on; }

  std::atomic<bool> done{false};
  bool silent = false;
};
