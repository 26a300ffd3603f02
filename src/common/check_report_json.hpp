// The report as JSON: one object whose "tables" list holds a table's facts
// each. The shape is described in the manual's page on the pre-flight
// report and versioned by "format_version".
#pragma once

#include <string>

#include "check_report.hpp"

class check_report_json {
 public:
  static std::string write(const check_report& report);
  // `text` as a JSON string with its quotes; bytes that are not UTF-8 become
  // U+FFFD, control characters escapes.
  static std::string quoted(const std::string& text);
};
