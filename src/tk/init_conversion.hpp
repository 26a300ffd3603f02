// The span of one conversion run in the trace: the start banner when it is
// made, the end banner and the done flag when it goes, however the run ends.
#pragma once

#include <atomic>

class init_conversion {
 public:
  init_conversion(std::atomic<bool>& done, bool com_ready);
  ~init_conversion();
  init_conversion(const init_conversion&) = delete;
  init_conversion& operator=(const init_conversion&) = delete;

 private:
  std::atomic<bool>& done_;
};
