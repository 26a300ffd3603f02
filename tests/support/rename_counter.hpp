// Counts the renames this process makes onto one file: how often a file
// written beside it was moved over it. The test program's own rename()
// stands in for the C library's and counts before passing the call on, so
// the code under test needs no hook. One counter at a time.
#pragma once

#include <string>

class rename_counter {
 public:
  explicit rename_counter(std::string target);
  ~rename_counter();
  rename_counter(const rename_counter&) = delete;
  rename_counter& operator=(const rename_counter&) = delete;

  // Successful renames onto the target since the counter was made.
  int count() const;
};
