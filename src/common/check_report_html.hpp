// The report as one self-contained HTML page (its style inline, nothing
// fetched): every name and value from the files is escaped, so a column
// named "<script>" shows as that text.
#pragma once

#include <string>

#include "check_report.hpp"

class check_report_html {
 public:
  static std::string write(const check_report& report);
  // `text` with &, <, >, " and ' as character references; bytes that are
  // not UTF-8 become U+FFFD.
  static std::string escaped(const std::string& text);
};
