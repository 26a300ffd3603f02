// At most one instance of T per process: registered by the constructor,
// released by the destructor. A second construction, or a use with none
// registered, is an internal error.
#pragma once

#include <atomic>

#include "tk_mail_assertion.hpp"

template <typename T>
class tk_singleton {
 public:
  tk_singleton(const tk_singleton&) = delete;
  tk_singleton& operator=(const tk_singleton&) = delete;

  // The registered instance; raises the internal assertion when there is none.
  static T& instance() {
    T* p = find();
    if (!p) TK_ASSERTION_FAILED();
    return *p;
  }

  // The registered instance, or null: for callers that must never raise.
  static T* find() noexcept {
    return static_cast<T*>(instance_.load(std::memory_order_acquire));
  }

 protected:
  // Registers the base: the object is not yet a T while this runs, so the
  // cast to T waits until the instance is asked for.
  tk_singleton() {
    tk_singleton* expected = nullptr;
    if (!instance_.compare_exchange_strong(expected, this)) TK_ASSERTION_FAILED();
  }
  // A destructor may not raise; the instance can only be the one registered,
  // since construction is the only way to register.
  ~tk_singleton() { instance_.store(nullptr, std::memory_order_release); }

 private:
  static inline std::atomic<tk_singleton*> instance_{nullptr};
};
