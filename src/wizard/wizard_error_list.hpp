// The run's errors and warnings as the finish page lists them: the first
// ones only (later ones are only logged), filled from the run's worker
// thread and read on the user-interface thread.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class wizard_error_list {
 public:
  static constexpr std::size_t limit = 20;

  void add(const std::string& text);
  std::vector<std::string> items() const;
  // Emptied when a run starts: the list tells of that run only.
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> items_;
};
