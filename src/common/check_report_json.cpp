#include "check_report_json.hpp"

#include "tk_format.hpp"

namespace {

// Writes members of one object, commas and indentation included.
class json_object {
 public:
  json_object(std::string& out, int depth) : out_(out), depth_(depth) { out_ += "{"; }
  void value(const char* key, const std::string& raw) {
    out_ += first_ ? "\n" : ",\n";
    first_ = false;
    out_ += std::string(std::size_t(depth_ + 1) * 2, ' ') + "\"" + key + "\": " + raw;
  }
  void text(const char* key, const std::string& text) { value(key, check_report_json::quoted(text)); }
  void number(const char* key, std::uint64_t number) { value(key, std::to_string(number)); }
  void flag(const char* key, bool flag) { value(key, flag ? "true" : "false"); }
  void close() { out_ += (first_ ? "" : "\n" + std::string(std::size_t(depth_) * 2, ' ')) + "}"; }
  int depth() const { return depth_ + 1; }

 private:
  std::string& out_;
  int depth_;
  bool first_ = true;
};

std::string texts(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + check_report_json::quoted(items[i]);
  return out + "]";
}

std::string numbers(const std::vector<std::uint64_t>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + std::to_string(items[i]);
  return out + "]";
}

// A list of objects, each written by `member`.
template <class Item, class Write>
std::string objects(const std::vector<Item>& items, int depth, Write member) {
  if (items.empty()) return "[]";
  std::string out = "[";
  const std::string indent(std::size_t(depth + 1) * 2, ' ');
  for (std::size_t i = 0; i < items.size(); ++i) {
    out += (i ? ",\n" : "\n") + indent;
    json_object object(out, depth + 1);
    member(object, items[i]);
    object.close();
  }
  return out + "\n" + std::string(std::size_t(depth) * 2, ' ') + "]";
}

std::string assumptions(const check_target& target, int depth) {
  std::string out;
  json_object o(out, depth);
  o.flag("connected", target.connected);
  o.text("connection", target.connection);
  o.value("existing_tables", texts(target.existing_tables));
  o.number("identifier_max_bytes", target.name_bytes);
  o.number("max_columns", target.max_columns);
  o.text("database_charset", target.charset);
  o.text("national_charset", target.national_charset);
  o.value("privileges", texts(target.privileges));
  o.value("quotas", texts(target.quotas));
  o.value("unread", texts(target.unread));
  o.close();
  return out;
}

void table_members(json_object& o, const check_table& t) {
  o.text("name", t.name);
  o.text("file", t.file);
  o.text("version", t.version);
  o.number("records", t.records);
  o.number("deleted", t.deleted);
  o.number("would_insert", t.would_insert);
  if (!t.sync_key.empty()) o.text("sync_key", t.sync_key);
  if (t.sync_counted) {
    o.number("would_update", t.would_update);
    o.number("would_delete", t.would_delete);
    o.number("unchanged", t.would_keep);
  }
  o.number("would_fail", t.would_fail);
  o.value("code_page", std::to_string(t.code_page));
  o.text("code_page_reason", t.code_page_reason);
  o.text("memo_state", t.memo_state);
  o.text("memo_file", t.memo_file);
  o.value("index_tags", objects(t.index_tags, o.depth(), [](json_object& i, const check_index_tag& tag) {
            i.text("name", tag.name);
            i.value("fields", texts(tag.fields));
            i.flag("unique", tag.unique);
            i.flag("primary", tag.primary);
            i.text("becomes", tag.becomes);
          }));
  o.text("oracle_name", t.oracle_name);
  o.flag("renamed", t.renamed);
  o.flag("replaces_existing", t.replaces_existing);
  o.value("columns", objects(t.columns, o.depth(), [](json_object& c, const check_column& column) {
            c.text("source", column.source);
            c.text("name", column.name);
            c.text("type", column.type);
            c.flag("renamed", column.renamed);
          }));
  o.value("statements", texts(t.statements));
  o.number("warning_count", t.warning_count());
  o.value("warnings", objects(t.warnings, o.depth(), [](json_object& w, const check_warning_group& group) {
            w.text("column", group.column);
            w.text("what", group.what);
            w.number("count", group.count);
            w.value("first_records", numbers(group.first_records));
          }));
  o.value("errors", texts(t.errors));
  o.text("outcome", t.outcome);
}

}  // namespace

std::string check_report_json::quoted(const std::string& text) {
  const std::string valid = tk_utf16_to_utf8_lenient(tk_utf8_to_utf16_lenient(text));
  std::string out = "\"";
  for (char c : valid) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += tk_format("\\u%04x", int(byte));
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string check_report_json::write(const check_report& report) {
  std::string out;
  json_object o(out, 0);
  o.text("format", "vesper pre-flight report");
  o.number("format_version", check_report::format_version);
  o.text("program", report.program);
  o.text("source", report.source);
  o.text("mode", report.mode);
  o.flag("definitions_only", report.definitions_only);
  o.flag("skip_deleted", report.skip_deleted);
  o.value("status", std::to_string(report.status));
  o.value("assumptions", assumptions(report.target, 1));
  o.value("errors", texts(report.errors));
  o.value("unlinked_index_files", texts(report.unlinked_index_files));
  o.value("tables", objects(report.tables, 1, table_members));
  o.close();
  return out + "\n";
}
