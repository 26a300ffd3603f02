// Gathers the report of a dry run while the converter runs against a
// recording target: it listens to the converter's tables and to the error
// handler's warnings and errors, and reads the recording target's plans
// when the run is over.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "check_report.hpp"

class dbf_recordset;
class error_handler;
class ora_recording_database;
class vesper_converter;
struct vesper_settings;
struct tk_warning;

class check_report_builder {
 public:
  // Listens from now until it is destroyed.
  check_report_builder(vesper_converter& converter, const vesper_settings& settings, error_handler& handler);
  ~check_report_builder();
  check_report_builder(const check_report_builder&) = delete;
  check_report_builder& operator=(const check_report_builder&) = delete;

  // What the run tells of each table's source once it is open.
  std::function<void(const dbf_recordset&)> table_listener() {
    return [this](const dbf_recordset& source) { opened(source); };
  }

  // The report of the finished run against `target`.
  check_report finish(const ora_recording_database& target);

  // Why a table's text is read with its code page: the setting, the
  // header's language-driver byte or the default.
  static std::string code_page_reason(int chosen, std::uint8_t driver, int code_page, const std::string& cpg_file);

 private:
  void opened(const dbf_recordset& source);
  void warned(const tk_warning& warning);
  void failed(const std::string& text);
  check_table& table_named(const std::string& name);
  void add_plan(check_table& table, const ora_recording_database& target) const;

  vesper_converter& converter_;
  const vesper_settings& settings_;
  error_handler& handler_;
  check_report report_;
  std::map<std::string, check_table> tables_;  // by the name the run prints
};
