// A unit of work that a worker thread runs. The base waits in 100 ms steps
// until finished() and then calls finish(); workers replace operator().
#pragma once

#include <chrono>
#include <thread>

class tk_thread_functor {
 public:
  virtual ~tk_thread_functor() = default;
  virtual void operator()() {
    while (!finished()) wait_step();
    finish();
  }
  virtual bool finished() { return false; }
  virtual void wait_step() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }
  virtual void finish() {}
};
