// Runs one SQL statement on the target; the table builders speak to the
// database through it (and tests record what they would run).
#pragma once

#include <string>

class ora_sql_runner {
 public:
  virtual ~ora_sql_runner() = default;
  // Prepares and executes the statement once; Oracle errors raise
  // ora_exception.
  virtual void run(const std::u16string& sql) = 0;
};
