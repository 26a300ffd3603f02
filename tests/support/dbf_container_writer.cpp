#include "dbf_container_writer.hpp"

#include "dbf_writer.hpp"

namespace {

// Names and expressions of tests are ASCII.
std::string utf8(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// The PROPERTY memo ids this writer stores, as Visual FoxPro writes them.
constexpr int table_path = 0x01, validation_rule = 0x09, default_value = 0x0B, child_tag = 0x0D, parent_table = 0x12,
              parent_tag = 0x13, primary_tag = 0x14;

std::string optional_property(int id, const std::u16string& value) {
  return value.empty() ? std::string() : dbf_container_writer::property(id, utf8(value));
}

}  // namespace

dbf_container_writer& dbf_container_writer::table(std::u16string name, std::vector<std::u16string> fields,
                                                  std::vector<std::u16string> defaults,
                                                  std::u16string primary_tag) {
  defaults.resize(fields.size());
  std::u16string path = name + u".dbf";
  std::vector<std::u16string> rules(fields.size() + 1);
  tables_.push_back({std::move(name), std::move(fields), std::move(defaults), std::move(primary_tag),
                     std::move(path), std::move(rules), {}});
  return *this;
}

dbf_container_writer& dbf_container_writer::path(std::u16string path) {
  tables_.back().path = std::move(path);
  return *this;
}

dbf_container_writer& dbf_container_writer::rule(int field, std::u16string rule) {
  std::vector<std::u16string>& rules = tables_.back().rules;
  rules[field < 0 ? rules.size() - 1 : std::size_t(field)] = std::move(rule);
  return *this;
}

dbf_container_writer& dbf_container_writer::relation(std::u16string child_tag, std::u16string parent_table,
                                                     std::u16string parent_tag) {
  tables_.back().relations.push_back({std::move(child_tag), std::move(parent_table), std::move(parent_tag)});
  return *this;
}

// Length of the whole entry (4 bytes, little-endian), length of the id (2
// bytes), the id, the value and its closing NUL.
std::string dbf_container_writer::property(int id, const std::string& value) {
  const std::size_t length = 4 + 2 + 1 + value.size() + 1;
  std::string entry;
  for (int shift = 0; shift < 32; shift += 8) entry += static_cast<char>((length >> shift) & 0xFF);
  entry += std::string("\x01\x00", 2);
  entry += static_cast<char>(id);
  entry += value;
  entry += '\0';
  return entry;
}

std::filesystem::path dbf_container_writer::write(const std::filesystem::path& folder,
                                                  const std::string& file_name) const {
  constexpr std::uint8_t binary = 0x04;  // the memo is not translated between code pages
  dbf_writer container(0x30);
  container.table_flags(0x07)  // structural index, memo, container
      .field(u"OBJECTID", 'I')
      .field(u"PARENTID", 'I')
      .field(u"OBJECTTYPE", 'C', 10)
      .field(u"OBJECTNAME", 'C', 128)
      .field(u"PROPERTY", 'M', dbf_writer::usual_length, 0, binary)
      .field(u"CODE", 'M')
      .field(u"RIINFO", 'C', 6)
      .field(u"USER", 'M');
  int id = 0;
  auto add = [&](int parent, const std::u16string& type, const std::u16string& name, const std::string& properties) {
    container.record({dbf_cell::integer(++id), dbf_cell::integer(parent), dbf_cell::text(type), dbf_cell::text(name),
                      properties.empty() ? dbf_cell::null() : dbf_cell::memo(properties), dbf_cell::null(),
                      dbf_cell::text(u""), dbf_cell::null()});
    return id;
  };
  const int database = add(0, u"Database", u"Database", {});
  int relations = 0;
  for (const listed& t : tables_) {
    const int table = add(database, u"Table", t.name,
                          optional_property(table_path, t.path) + optional_property(primary_tag, t.primary_tag) +
                              optional_property(validation_rule, t.rules.back()));
    for (std::size_t i = 0; i < t.fields.size(); ++i)
      add(table, u"Field", t.fields[i],
          optional_property(validation_rule, t.rules[i]) + optional_property(default_value, t.defaults[i]));
    for (const related& r : t.relations)
      add(table, u"Relation", u"Relation " + std::u16string(1, char16_t(u'0' + ++relations)),
          property(child_tag, utf8(r.child_tag)) +
              property(parent_table, utf8(r.parent_table)) +
              property(parent_tag, utf8(r.parent_tag)));
  }
  return container.write(folder, file_name);
}
