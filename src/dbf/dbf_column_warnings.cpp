#include "dbf_column_warnings.hpp"

#include <algorithm>

#include "tk_reporter.hpp"
#include "tk_format.hpp"

void dbf_column_warnings::add(const std::string& table, const std::string& column, std::uint64_t record,
                              const std::string& what) {
  table_ = table;
  auto found = std::find_if(columns_.begin(), columns_.end(), [&](const auto& c) { return c.first == column; });
  if (found == columns_.end()) found = columns_.insert(columns_.end(), {column, tally{}});
  tally& t = found->second;
  if (record <= t.last_record) return;
  t.last_record = record;
  if (++t.count <= shown_per_column) {
    reporter_->warn({table, record, column, what});
    return;
  }
  reporter_->log_only({table, record, column, what});
  if (t.hidden_records.size() < records_listed) t.hidden_records.push_back(record);
}

void dbf_column_warnings::close() {
  for (const auto& [column, t] : columns_) {
    if (t.count <= shown_per_column) continue;
    std::string records;
    for (std::uint64_t record : t.hidden_records) records += (records.empty() ? "" : ", ") + tk_format("%I64u", record);
    if (t.count - shown_per_column > t.hidden_records.size()) records += " and later";
    reporter_->warn({table_, 0, column,
                     tk_format("%I64u more values like these not shown, at records %s", t.count - shown_per_column,
                               records)});
  }
  columns_.clear();
}
