#include "e2e_expected_table.hpp"

#include <cstdio>
#include <memory>

#include "dbf_database.hpp"
#include "tk_reporter.hpp"
#include "dbf_record.hpp"
#include "dbf_recordset.hpp"
#include "tk_file_name.hpp"
#include "tk_format.hpp"
#include "tk_wstring.hpp"

namespace {

std::string hex_of(const std::uint8_t* data, std::size_t count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    text += digits[data[i] >> 4];
    text += digits[data[i] & 15];
  }
  return text;
}

std::string date_text(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

std::string cell_text(const ole_variant& value, const e2e_expectation_options& options) {
  switch (value.get_type()) {
    case VT_EMPTY:
    case VT_NULL: return {};
    case VT_BOOL:
      if (options.logical_as_numbers) return value.to_bool() ? "1" : "0";
      return value.to_bool() ? "T" : "F";
    case VT_DATE: return date_text(value.date_value);
    case VT_BSTR: return value.to_string();
    default: break;
  }
  if (ole_variant::is_binary(value.get_type())) {
    const std::uint8_t* data = nullptr;
    const std::size_t count = value.get_bytes(&data);
    return hex_of(data, count);
  }
  return e2e_expected_table::oracle_number(value.to_string());
}

std::string in_quotes(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

std::string e2e_expected_table::oracle_number(const std::string& text) {
  std::string digits = text;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.erase(0, 1);
  }
  std::size_t point = digits.find('.');
  if (point != std::string::npos) {
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  while (digits.size() > 1 && digits[0] == '0' && digits[1] != '.') digits.erase(0, 1);
  if (digits.size() > 1 && digits[0] == '0') digits.erase(0, 1);  // "0.5" prints as ".5"
  if (digits.empty() || digits == "0") return "0";
  return (negative ? "-" : "") + digits;
}

e2e_expected_table::e2e_expected_table(const std::filesystem::path& folder, const std::u16string& table,
                                       const e2e_expectation_options& options) {
  tk_log_reporter reporter;
  dbf_database database(tk_utf8_to_utf16_lenient(tk_path_utf8(folder)), 0, reporter);
  std::unique_ptr<udb_recordset> source = database.get_table(table, udb_access::read);
  oracle_name_ = tk_utf16_to_utf8_lenient(options.uppercase ? tk_wstring(table).to_upper() : table);
  query_ = "SELECT ";
  for (std::size_t i = 0; i < source->schema.size(); ++i) {
    const t_ftd& column = source->schema[i];
    std::string name = tk_utf16_to_utf8_lenient(options.uppercase ? tk_wstring(column.name).to_upper() : column.name);
    header_ += (i ? "\t" : "") + name;
    query_ += i ? ", " : "";
    query_ += column.vartype == VT_DATE ? "SUBSTR(" + in_quotes(name) + ", 1, 19) " + in_quotes(name) : in_quotes(name);
  }
  header_ += "\n";
  query_ += " FROM " + in_quotes(oracle_name_) + " ORDER BY ROWID";
  for (source->first(); !source->is_eof(); source->next()) {
    auto& record = static_cast<dbf_record&>(source->get_item());
    if (record.deleted && options.skip_deleted) continue;
    std::string row;
    for (std::size_t i = 0; i < record.size(); ++i) row += (i ? "\t" : "") + cell_text(record[i], options);
    rows_.push_back(row + "\n");
  }
}

std::string e2e_expected_table::text() const {
  std::string all = header_;
  for (const std::string& row : rows_) all += row;
  return all;
}

std::string e2e_expected_table::difference(const std::string& tool_output) const {
  if (tool_output == text()) return {};
  if (tool_output.compare(0, header_.size(), header_) != 0)
    return "header differs:\nexpected " + header_ + "actual   " + tool_output.substr(0, tool_output.find('\n') + 1);
  std::size_t position = header_.size();
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (tool_output.compare(position, rows_[i].size(), rows_[i]) != 0)
      return oracle_name_ + " row " + std::to_string(i + 1) + " differs:\nexpected " + rows_[i] + "actual   " +
             tool_output.substr(position, rows_[i].size() + 40);
    position += rows_[i].size();
  }
  return oracle_name_ + ": more rows than expected:\n" + tool_output.substr(position);
}
