// What every converter carries: its source and destination, the console
// switch and the trace file.
#pragma once

#include <atomic>
#include <string>

#include "tk_thread_functor.hpp"

class tk_converter : public tk_thread_functor {
 public:
  tk_converter();

  virtual void set_silent(bool on) { silent = on; }
  // Checks the path (an existing read-only file, a missing folder: level-1
  // errors), keeps it and, when not empty, points the trace there and turns
  // it on.
  void set_logfile(const std::string& path);

  std::atomic<bool> done{false};
  bool silent = false;
  std::u16string src;
  std::u16string dest;
  std::string logfile;
};
