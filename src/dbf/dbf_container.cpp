#include "dbf_container.hpp"

#include <algorithm>
#include <filesystem>

#include "dbf_record.hpp"
#include "dbf_recordset.hpp"
#include "tk_case.hpp"
#include "tk_convert.hpp"
#include "tk_file_name.hpp"
#include "tk_folder.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {

long number_of(const udb_field& field) {
  try {
    return std::stol(tk_to_utf8(field.to_wstring()));
  } catch (const std::exception&) {
    return 0;
  }
}

std::string bytes_of(const udb_field& field) {
  const std::uint8_t* data = nullptr;
  const std::size_t size = field.get_bytes(&data);
  if (size && data) return std::string(reinterpret_cast<const char*>(data), size);
  return tk_utf16_to_utf8_lenient(field.to_wstring());
}

std::u16string trimmed(std::u16string_view text) {
  const auto first = text.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos) return {};
  return std::u16string(text.substr(first, text.find_last_not_of(u" \t") - first + 1));
}

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool is_number(std::u16string_view text) {
  std::size_t i = text.empty() || (text[0] != u'-' && text[0] != u'+') ? 0 : 1;
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    if (is_digit(text[i])) digits = true;
    else if (text[i] == u'.' && !point) point = true;
    else return false;
  }
  return digits;
}

// {^2024-03-31}: the strict date form, the only one that does not depend on SET DATE.
std::optional<std::u16string> strict_date(std::u16string_view text) {
  if (text.size() != 13 || text.substr(0, 2) != u"{^" || text.back() != u'}') return std::nullopt;
  std::u16string date(text.substr(2, 10));
  for (std::size_t i = 0; i < date.size(); ++i) {
    const bool separator = i == 4 || i == 7;
    if (separator && (date[i] == u'/' || date[i] == u'.' || date[i] == u'-')) date[i] = u'-';
    else if (separator || !is_digit(date[i])) return std::nullopt;
  }
  return date;
}

std::u16string text_of(const udb_field& field) {
  std::u16string text = field.to_wstring();
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\0')) text.pop_back();
  return text;
}

}  // namespace

dbf_container::dbf_container(const std::string& path) {
  dbf_recordset table(path, dbf_recordset::index_files::skip, 0);
  properties_missing_ = table.memo_missing();
  const int id = table.schema.get_field_idx(u"OBJECTID"), parent = table.schema.get_field_idx(u"PARENTID");
  const int type = table.schema.get_field_idx(u"OBJECTTYPE"), name = table.schema.get_field_idx(u"OBJECTNAME");
  const int property = table.schema.get_field_idx(u"PROPERTY");
  if (id < 0 || parent < 0 || type < 0 || name < 0)
    throw tk_exception(tk_format("%s is not a database container: it lacks OBJECTID, PARENTID, OBJECTTYPE or "
                                 "OBJECTNAME",
                                 tk_path_utf8(tk_native_path(path).filename())));
  for (table.first(); !table.is_eof(); table.next()) {
    auto& record = static_cast<dbf_record&>(table.get_item());
    if (record.deleted) continue;
    objects_.push_back({number_of(record[std::size_t(id)]), number_of(record[std::size_t(parent)]),
                        text_of(record[std::size_t(type)]), text_of(record[std::size_t(name)]),
                        property < 0 ? std::map<int, std::string>()
                                     : properties_of(bytes_of(record[std::size_t(property)]))});
  }
}

std::map<int, std::string> dbf_container::properties_of(std::string_view memo) {
  std::map<int, std::string> found;
  auto byte = [&](std::size_t at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(memo[at])); };
  std::size_t at = 0;
  while (memo.size() - at >= 7) {
    const std::uint32_t length = byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | byte(at + 3) << 24;
    const std::uint32_t id_length = byte(at + 4) | byte(at + 5) << 8;
    if (length < 6 + id_length || id_length == 0 || length > memo.size() - at) break;
    std::string value(memo.substr(at + 6 + id_length, length - 6 - id_length));
    if (const auto end = value.find('\0'); end != std::string::npos) value.resize(end);
    found.emplace(byte(at + 6), std::move(value));
    at += length;
  }
  return found;
}

std::u16string dbf_container::object::property(int id) const {
  const auto found = properties.find(id);
  return found == properties.end() ? std::u16string() : tk_utf8_to_utf16_lenient(found->second);
}

std::optional<std::u16string> dbf_container::literal_of(std::u16string_view expression) {
  const std::u16string text = trimmed(expression);
  if (text.size() >= 2) {
    const char16_t open = text.front(), close = open == u'[' ? u']' : open;
    if ((open == u'"' || open == u'\'' || open == u'[') && text.back() == close &&
        text.find(close, 1) == text.size() - 1)
      return text.substr(1, text.size() - 2);
  }
  if (is_number(text)) return text[0] == u'+' ? text.substr(1) : text;
  return strict_date(text);
}

// The file part of a table's path, without its extension; the path may
// use either slash and come from any system.
std::u16string dbf_container::file_of(const object& table) {
  std::string path = tk_utf16_to_utf8_lenient(table.property(table_path));
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty()) return {};
  return tk_utf8_to_utf16_lenient(tk_file_name(path).name);
}

const dbf_container::object* dbf_container::table_named(const std::u16string& name) const {
  auto listed = std::find_if(objects_.begin(), objects_.end(), [&](const object& o) {
    return tk_loose_equal(o.type, u"Table") && tk_loose_equal(o.name, name);
  });
  return listed == objects_.end() ? nullptr : &*listed;
}

const dbf_container::object* dbf_container::table_object(const std::string& table_file) const {
  const std::u16string file = tk_utf8_to_utf16_lenient(tk_file_name(table_file).name);
  for (const object& o : objects_)
    if (tk_loose_equal(o.type, u"Table") && tk_loose_equal(file_of(o), file)) return &o;
  const object* named = table_named(file);
  return named && file_of(*named).empty() ? named : nullptr;
}

std::optional<dbf_container::table_facts> dbf_container::facts(const std::string& table_file) const {
  const object* listed = table_object(table_file);
  if (!listed) return std::nullopt;
  table_facts facts;
  facts.name = listed->name;
  facts.properties_missing = properties_missing_;
  facts.primary_tag = listed->property(primary_tag);
  facts.rule = listed->property(rule);
  for (const object& o : objects_) {
    if (o.parent != listed->id) continue;
    if (tk_loose_equal(o.type, u"Field")) {
      facts.field_names.push_back(o.name);
      facts.defaults.push_back(o.property(default_value));
      facts.rules.push_back(o.property(rule));
    } else if (tk_loose_equal(o.type, u"Relation")) {
      relation r{o.property(child_tag), o.property(parent_table), o.property(parent_tag), {}};
      const object* parent = table_named(r.parent_table);
      r.parent_file = parent && !file_of(*parent).empty() ? file_of(*parent) : r.parent_table;
      facts.relations.push_back(std::move(r));
    }
  }
  return facts;
}

std::string dbf_container::find(const std::string& table_file, const std::string& link) {
  std::string relative = link;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  const std::string folder = tk_file_name(table_file).folder_path();
  const std::filesystem::path given = tk_native_path(relative);
  const std::string file = tk_path_utf8(given.filename());
  // Beside the table first (folders are often moved together), then where the link points.
  if (auto found = tk_find_ignoring_case(folder, file)) return *found;
  if (given.has_parent_path()) {
    const std::filesystem::path place = (tk_native_path(folder) / given.parent_path()).lexically_normal();
    if (auto found = tk_find_ignoring_case(tk_path_utf8(place) + "/", file)) return *found;
  }
  return {};
}

dbf_container::table_facts dbf_container::apply(dbf_recordset& table, const std::string& shown_name) {
  const std::string link = table.container_link();
  if (link.empty()) return {};
  auto warn = [&](const std::string& why) {
    table.reporter().warn({shown_name, 0, {}, why + "; the table keeps the short field names of its header"});
    return table_facts();
  };
  const std::string path = find(table.file_name(), link);
  if (path.empty()) return warn(tk_format("the table belongs to the database container %s, which is not found", link));
  std::optional<table_facts> listed;
  try {
    listed = dbf_container(path).facts(table.file_name());
  } catch (const tk_exception& e) {
    return warn(tk_format("its database container %s cannot be read (%s)", link, e.message));
  }
  if (!listed)
    return warn(tk_format("its database container %s lists no table stored in %s", link,
                          tk_path_utf8(tk_native_path(table.file_name()).filename())));
  table_facts facts = std::move(*listed);
  tk_log(2, "Table %s of the database container %s", facts.name, link);
  if (facts.properties_missing)
    table.reporter().warn({shown_name, 0, {},
                           tk_format("its database container %s has no memo file beside it: the defaults and rules "
                                     "of its fields are not read",
                                     link)});
  if (facts.field_names.size() != table.schema.size())
    return warn(tk_format("its database container %s lists %d fields for it, its header %d", link,
                          facts.field_names.size(), table.schema.size()));
  for (std::size_t i = 0; i < facts.field_names.size(); ++i) {
    tk_log(1, "Long field name %s for %s", facts.field_names[i], table.schema[i].name);
    if (!facts.field_names[i].empty()) table.rename_column(i, facts.field_names[i]);
    apply_default(table, i, facts.defaults[i], shown_name);
  }
  warn_of_rules(table, facts, shown_name);
  return facts;
}

// Oracle could check a rule only once it is written in SQL; a rule is an
// xBase expression, so none is carried over, and the user is told.
void dbf_container::warn_of_rules(const dbf_recordset& table, const table_facts& facts,
                                  const std::string& shown_name) {
  auto warn = [&](const std::string& what) { table.reporter().warn({shown_name, 0, {}, what}); };
  if (!trimmed(facts.rule).empty())
    warn(tk_format("its validation rule %s in its database container is not carried over: Oracle gets no check "
                   "constraint for it",
                   trimmed(facts.rule)));
  for (std::size_t i = 0; i < facts.rules.size(); ++i)
    if (!trimmed(facts.rules[i]).empty())
      warn(tk_format("field %s has the validation rule %s in its database container: Oracle gets no check "
                     "constraint for it",
                     table.schema[i].name, trimmed(facts.rules[i])));
}

void dbf_container::apply_default(dbf_recordset& table, std::size_t column, const std::u16string& expression,
                                  const std::string& shown_name) {
  if (trimmed(expression).empty()) return;
  if (auto literal = literal_of(expression)) {
    table.schema[column].default_value = ole_variant(*literal);
    return;
  }
  table.reporter().warn(
      {shown_name, 0, {},
       tk_format("the default value of field %s, %s, is an expression, not a value: the column gets no default",
                 table.schema[column].name, expression)});
}
