#include "check_report_html.hpp"

#include "check_report_text.hpp"
#include "tk_format.hpp"

namespace {

const char* const style =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin:.4em 0 1em}"
    "td,th{border:1px solid #bbb;padding:.2em .5em;text-align:left;vertical-align:top}"
    "th{background:#eee}.ok{color:#060}.warnings{color:#a60}.fails{color:#b00}.skipped{color:#666}"
    "section{border-top:2px solid #ccc;margin-top:1em}code{white-space:pre-wrap}";

std::string e(const std::string& text) { return check_report_html::escaped(text); }

std::string row(const std::string& name, const std::string& value) {
  return "<tr><th>" + name + "</th><td>" + value + "</td></tr>\n";
}

std::string list(const std::vector<std::string>& items) {
  if (items.empty()) return "none";
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : ", ") + e(item);
  return out;
}

std::string assumptions(const check_report& report) {
  const check_target& t = report.target;
  std::string out = "<h2>Oracle</h2>\n<table>\n";
  out += row("Connection", t.connected ? e(t.connection) + " (read only)" : "none: what every server allows is assumed");
  out += row("Existing tables", list(t.existing_tables));
  out += row("Names", tk_format("at most %d bytes in %s", t.name_bytes, e(t.charset)));
  out += row("National character set", e(t.national_charset));
  out += row("Columns a table", std::to_string(t.max_columns));
  if (t.connected) {
    out += row("Privileges", list(t.privileges));
    out += row("Quotas", list(t.quotas));
    if (!t.unread.empty()) out += row("Not read", list(t.unread));
  }
  out += row("Existing tables are", e(report.mode) + (report.definitions_only ? ", definitions only" : ""));
  return out + "</table>\n";
}

std::string source_table(const check_table& t) {
  std::string out = "<table>\n";
  out += row("File", e(t.file) + " (version " + e(t.version) + ")");
  out += row("Records", tk_format("%I64u, %I64u marked as deleted", t.records, t.deleted));
  out += row("Code page", tk_format("%d: %s", t.code_page, e(t.code_page_reason)));
  out += row("Memo file", t.memo_state == "found" ? e(t.memo_file) : e(t.memo_state));
  std::string tags;
  for (const check_index_tag& tag : t.index_tags)
    tags += (tags.empty() ? "" : "<br>") + e(tag.name) + " (" + list(tag.fields) + "): " + e(tag.becomes);
  out += row("Index tags", tags.empty() ? "none found" : tags);
  if (!t.sync_key.empty()) out += row("Sync key", e(t.sync_key));
  if (!t.sync_key.empty()) out += row("Sync", e(check_report_text::sync_counts(t)));
  out += row("Would insert", tk_format("%I64u records, %I64u would fail", t.would_insert, t.would_fail));
  return out + "</table>\n";
}

std::string columns_table(const check_table& t) {
  if (t.oracle_name.empty()) return {};
  std::string out = "<p>Oracle table <b>" + e(t.oracle_name) + "</b>" + (t.renamed ? " (renamed)" : "") +
                    (t.replaces_existing ? " (replaces the existing table)" : "") + "</p>\n";
  out += "<table>\n<tr><th>DBF column</th><th>Oracle column</th><th>Type</th></tr>\n";
  for (const check_column& c : t.columns)
    out += "<tr><td>" + e(c.source) + "</td><td>" + e(c.name) + (c.renamed ? " <i>(renamed)</i>" : "") + "</td><td>" +
           e(c.type) + "</td></tr>\n";
  out += "</table>\n";
  for (const std::string& statement : t.statements) out += "<p><code>" + e(statement) + "</code></p>\n";
  return out;
}

std::string problems(const check_table& t) {
  std::string out;
  if (!t.warnings.empty()) {
    out += "<table>\n<tr><th>Column</th><th>Count</th><th>What</th><th>First records</th></tr>\n";
    for (const check_warning_group& w : t.warnings)
      out += "<tr><td>" + e(w.column) + "</td><td>" + std::to_string(w.count) + "</td><td>" + e(w.what) + "</td><td>" +
             e(check_report_text::record_list(w)) + "</td></tr>\n";
    out += "</table>\n";
  }
  for (const std::string& error : t.errors) out += "<p class=\"fails\">" + e(error) + "</p>\n";
  return out;
}

}  // namespace

std::string check_report_html::escaped(const std::string& text) {
  const std::string valid = tk_utf16_to_utf8_lenient(tk_utf8_to_utf16_lenient(text));
  std::string out;
  for (char c : valid) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string check_report_html::write(const check_report& report) {
  std::string out = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>Pre-flight report of " +
                    e(report.source) + "</title>\n<style>" + style + "</style></head>\n<body>\n";
  out += "<h1>Pre-flight report of " + e(report.source) + "</h1>\n";
  out += "<p>" + e(report.program) + tk_format(". Nothing was written to Oracle. Exit status %d.</p>\n", report.status);
  out += assumptions(report);
  for (const std::string& error : report.errors) out += "<p class=\"fails\">" + e(error) + "</p>\n";
  if (!report.unlinked_index_files.empty()) {
    std::string files;
    for (const std::string& file : report.unlinked_index_files) files += (files.empty() ? "" : ", ") + e(file);
    out += "<p>Index files of no table (not converted): " + files + "</p>\n";
  }
  for (const check_table& t : report.tables) {
    out += "<section>\n<h2>Table " + e(t.name) + ": <span class=\"" + e(t.outcome) + "\">" + e(t.outcome) + "</span></h2>\n";
    if (!t.file.empty()) out += source_table(t);
    out += columns_table(t) + problems(t) + "</section>\n";
  }
  return out + "</body></html>\n";
}
