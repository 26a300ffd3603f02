// What --version prints: the program, its version and build date, and the
// Oracle client library it would load, with that library's release.
#pragma once

#include <string>

class agent_version {
 public:
  static std::string text();
};
