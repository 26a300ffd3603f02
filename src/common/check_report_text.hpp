// The report as the text the agent prints: the assumptions, then a block
// per table, then a summary line. Names pass through tk_printable_name, so
// that no name from a file can act on the terminal.
#pragma once

#include <string>

#include "check_report.hpp"

class check_report_text {
 public:
  static std::string write(const check_report& report);
  // "#3, #9, #12", with "..." after them when the group has more.
  static std::string record_list(const check_warning_group& group);
  // "30 bytes of AL32UTF8 for names, 1000 columns", and what the target holds.
  static std::string target_line(const check_target& target);
  // What a sync of the table would do, or that counting it needs a
  // connection; empty when the table is not synced.
  static std::string sync_counts(const check_table& table);
};
