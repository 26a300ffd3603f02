#include "check_report_text.hpp"

#include "tk_format.hpp"
#include "tk_printable_name.hpp"

namespace {

std::string shown(const std::string& name) { return tk_printable_name_utf8(std::string_view(name)); }

std::string joined(const std::vector<std::string>& items, const char* none) {
  if (items.empty()) return none;
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : ", ") + shown(item);
  return out;
}

void source_lines(std::string& out, const check_table& t) {
  out += tk_format("  File: %s (version %s), %I64u records, %I64u marked as deleted\n", shown(t.file), t.version,
                   t.records, t.deleted);
  out += tk_format("  Code page: %d, %s\n", t.code_page, t.code_page_reason);
  if (t.memo_state == "found")
    out += tk_format("  Memo file: %s\n", shown(t.memo_file));
  else if (t.memo_state == "missing")
    out += "  Memo file: missing, memo columns would arrive empty\n";
  std::string tags;
  for (const check_index_tag& tag : t.index_tags)
    tags += (tags.empty() ? "" : "; ") + shown(tag.name) + " (" + joined(tag.fields, "") + ")" +
            (tag.primary ? " primary" : tag.unique ? " unique" : "") + (tag.becomes.empty() ? "" : " -> " + shown(tag.becomes));
  out += "  Index tags: " + (tags.empty() ? std::string("none found") : tags) + "\n";
}

void target_lines(std::string& out, const check_table& t) {
  if (t.oracle_name.empty()) return;
  out += "  Oracle table: " + shown(t.oracle_name) + (t.renamed ? " (renamed)" : "") +
         (t.replaces_existing ? " (replaces the existing table)" : "") + "\n";
  for (const check_column& c : t.columns)
    out += "    " + shown(c.name) + " " + shown(c.type) + (c.renamed ? "  (renamed from " + shown(c.source) + ")" : "") +
           "\n";
  for (const std::string& statement : t.statements)
    if (statement.rfind("CREATE TABLE", 0) != 0) out += "    then: " + shown(statement) + "\n";
}

void problem_lines(std::string& out, const check_table& t) {
  if (!t.sync_key.empty()) out += "  Sync key: " + shown(t.sync_key) + "\n";
  if (!t.sync_key.empty()) out += "  Sync: " + check_report_text::sync_counts(t) + "\n";
  out += tk_format("  Would insert %I64u records, %I64u would fail\n", t.would_insert, t.would_fail);
  for (const check_warning_group& w : t.warnings)
    out += tk_format("  Warning%s: %I64u x %s (records %s)\n", w.column.empty() ? "" : ", column " + shown(w.column),
                     w.count, shown(w.what), check_report_text::record_list(w));
  for (const std::string& error : t.errors) out += "  Error: " + shown(error) + "\n";
}

}  // namespace

std::string check_report_text::record_list(const check_warning_group& group) {
  std::string out;
  for (std::uint64_t record : group.first_records)
    if (record != 0) out += (out.empty() ? "#" : ", #") + std::to_string(record);
  if (out.empty()) return "all";
  return group.count > group.first_records.size() ? out + ", ..." : out;
}

std::string check_report_text::sync_counts(const check_table& t) {
  if (t.sync_key.empty()) return {};
  if (!t.sync_counted) return "how many records would be inserted, updated and deleted is counted when connected";
  return tk_format("would insert %I64u, update %I64u and delete %I64u records; %I64u unchanged", t.would_insert,
                   t.would_update, t.would_delete, t.would_keep);
}

std::string check_report_text::target_line(const check_target& target) {
  std::string out = target.connected ? "connected to " + shown(target.connection) + ", read only"
                                     : "no connection; assumed";
  out += tk_format(": names of at most %d bytes in %s, at most %d columns a table, %s existing tables",
                   target.name_bytes, shown(target.charset), target.max_columns,
                   target.existing_tables.empty() ? std::string("no") : std::to_string(target.existing_tables.size()));
  return out;
}

std::string check_report_text::write(const check_report& report) {
  std::string out = "Pre-flight report of " + shown(report.source) + " (nothing is written to Oracle)\n";
  out += "Oracle: " + target_line(report.target) + "\n";
  if (report.target.connected) {
    out += "  Existing tables: " + joined(report.target.existing_tables, "none") + "\n";
    out += "  National character set: " + shown(report.target.national_charset) + "\n";
    out += "  Privileges: " + joined(report.target.privileges, "none") + "\n";
    out += "  Quotas: " + joined(report.target.quotas, "none") + "\n";
    for (const std::string& unread : report.target.unread) out += "  Not read: " + shown(unread) + "\n";
  }
  out += "Existing tables are handled by mode " + report.mode + (report.definitions_only ? ", definitions only" : "") +
         (report.skip_deleted ? ", records marked as deleted left out" : "") + "\n";
  std::size_t counts[4] = {};
  for (const check_table& t : report.tables) {
    out += "\nTable " + shown(t.name) + ": " + t.outcome + "\n";
    if (!t.file.empty()) source_lines(out, t);
    target_lines(out, t);
    problem_lines(out, t);
    ++counts[t.outcome == "ok" ? 0 : t.outcome == "warnings" ? 1 : t.outcome == "fails" ? 2 : 3];
  }
  if (!report.unlinked_index_files.empty())
    out += "\nIndex files of no table (not converted): " + joined(report.unlinked_index_files, "") + "\n";
  for (const std::string& error : report.errors) out += "Error: " + shown(error) + "\n";
  out += tk_format("\nSummary: %d tables: %d ok, %d with warnings, %d would fail, %d skipped; exit status %d\n",
                   report.tables.size(), counts[0], counts[1], counts[2], counts[3], report.status);
  return out;
}
