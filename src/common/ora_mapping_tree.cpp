#include "ora_mapping_tree.hpp"

#include <charconv>
#include <string_view>

#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_trim.hpp"

namespace {

constexpr std::u16string_view database_header = u"database:";
constexpr std::u16string_view tables_header = u"tables:";
constexpr std::u16string_view table_name = u"  - name:";
constexpr std::u16string_view table_new_name = u"    new_name:";
constexpr std::u16string_view fields_header = u"    fields:";
constexpr std::u16string_view field_name = u"      - name:";
constexpr std::u16string_view properties_header = u"    properties:";
constexpr std::u16string_view database_property = u"  ";
constexpr std::u16string_view table_property = u"        ";

// The lines of one field, in the order they are written and read.
constexpr std::u16string_view field_keys[] = {
    u"        new_name:",      u"        status:", u"        type:",  u"        default_value:",
    u"        character_set:", u"        length:", u"        scale:", u"        precision:",
};
constexpr std::size_t field_lines = std::size(field_keys);
constexpr std::size_t first_number = 5;  // length, then scale and precision

bool is_header(const std::u16string& line, std::u16string_view header) { return tk_rtrim(line) == header; }

// The trimmed rest of `line` after `prefix`; false when it does not start so.
bool value_after(const std::u16string& line, std::u16string_view prefix, std::u16string& value) {
  if (line.compare(0, prefix.size(), prefix) != 0) return false;
  value = tk_trim(std::u16string_view(line).substr(prefix.size()));
  return true;
}

bool parse_number(const std::u16string& text, std::int32_t& number) {
  std::string digits = tk_utf16_to_utf8_lenient(text);
  const char* end = digits.data() + digits.size();
  auto [stop, error] = std::from_chars(digits.data(), end, number);
  return !digits.empty() && error == std::errc() && stop == end;
}

std::u16string line_of(std::u16string_view prefix, const std::u16string& value) {
  return std::u16string(prefix) + u" " + value;
}

}  // namespace

std::vector<std::u16string> ora_mapping_tree::write(ora_db_mutator& db) {
  std::vector<std::u16string> lines{std::u16string(database_header)};
  for (const auto& [key, value] : db.get_properties()) lines.push_back(std::u16string(database_property) + key + u": " + value);
  lines.emplace_back(tables_header);
  for (const auto& [name, table] : db.tables) write_table(lines, name, *table);
  return lines;
}

void ora_mapping_tree::write_table(std::vector<std::u16string>& lines, const std::u16string& name,
                                   ora_table_mutator& table) {
  lines.push_back(line_of(table_name, name));
  lines.push_back(line_of(table_new_name, table.new_name));
  lines.emplace_back(fields_header);
  for (const auto& [column, field] : table.fields) write_field(lines, column, *field);
  if (table.get_properties().empty()) return;
  lines.emplace_back(properties_header);
  for (const auto& [key, value] : table.get_properties()) lines.push_back(std::u16string(table_property) + key + u": " + value);
}

void ora_mapping_tree::write_field(std::vector<std::u16string>& lines, const std::u16string& name,
                                   const ora_field_mutator& field) {
  lines.push_back(std::u16string(field_name) + name);  // no space after the colon
  const std::u16string values[field_lines] = {
      field.new_name,
      field.status == ora_field_mutator::deleted ? u"deleted" : u"changed",
      field.type.text(),
      field.default_value,
      field.character_set,
      tk_wformat(u"%d", field.length),
      tk_wformat(u"%d", field.scale),
      tk_wformat(u"%d", field.precision),
  };
  for (std::size_t i = 0; i < field_lines; ++i) lines.push_back(line_of(field_keys[i], values[i]));
}

bool ora_mapping_tree::read(const std::vector<std::u16string>& lines, ora_db_mutator& db) {
  db.tables.clear();
  db.get_properties().clear();
  ora_db_mutator scratch;
  ora_mapping_tree reader(scratch);
  for (const std::u16string& line : lines) {
    if (!reader.take(line)) {
      tk_log(1, "Type mapping line out of order: '%s'", line);
      return false;
    }
  }
  if (!reader.complete()) {
    tk_log(1, "Type mappings end in the middle of a table");
    return false;
  }
  db.tables = std::move(scratch.tables);
  db.get_properties() = std::move(scratch.get_properties());
  return true;
}

bool ora_mapping_tree::take(const std::u16string& line) {
  switch (state_) {
    case state::start:
      if (!is_header(line, database_header)) return false;
      state_ = state::database;
      return true;
    case state::database:
      return take_database(line);
    case state::tables:
      return start_table(line);
    case state::table_named: {
      std::u16string value;
      if (!value_after(line, table_new_name, value)) return false;
      table_->new_name = value;
      state_ = state::table_new_name;
      return true;
    }
    case state::table_new_name:
      if (!is_header(line, fields_header)) return false;
      state_ = state::fields;
      return true;
    case state::fields:
      return take_between_fields(line);
    case state::field:
      return take_field_line(line);
    case state::properties:
      return start_table(line) || take_property(line);
  }
  return false;
}

bool ora_mapping_tree::take_database(const std::u16string& line) {
  if (is_header(line, tables_header)) {
    state_ = state::tables;
    return true;
  }
  return take_property(line);
}

bool ora_mapping_tree::take_between_fields(const std::u16string& line) {
  std::u16string name;
  if (value_after(line, field_name, name)) {
    auto& slot = table_->fields[name];
    slot = std::make_unique<ora_field_mutator>();
    field_ = slot.get();
    step_ = 0;
    type_text_.clear();
    state_ = state::field;
    return true;
  }
  if (is_header(line, properties_header)) {
    state_ = state::properties;
    return true;
  }
  return start_table(line);
}

// "key: value" under the database or a table; a line that does not split
// into exactly two pieces at ":" is ignored.
bool ora_mapping_tree::take_property(const std::u16string& line) {
  bool of_table = state_ == state::properties;
  std::u16string rest;
  if (!value_after(line, of_table ? table_property : database_property, rest)) return false;
  std::size_t colon = rest.find(u':');
  if (colon == std::u16string::npos || rest.find(u':', colon + 1) != std::u16string::npos) return true;
  udb_properties::properties& target = of_table ? table_->get_properties() : db_.get_properties();
  target[tk_trim(std::u16string_view(rest).substr(0, colon))] = tk_trim(std::u16string_view(rest).substr(colon + 1));
  return true;
}

bool ora_mapping_tree::start_table(const std::u16string& line) {
  std::u16string name;
  if (!value_after(line, table_name, name)) return false;
  auto& slot = db_.tables[name];
  slot = std::make_unique<ora_table_mutator>();
  table_ = slot.get();
  state_ = state::table_named;
  return true;
}

bool ora_mapping_tree::take_field_line(const std::u16string& line) {
  std::u16string value;
  if (!value_after(line, field_keys[step_], value)) return false;
  switch (step_) {
    case 0: field_->new_name = value; break;
    case 1:
      if (value == u"changed") field_->status = ora_field_mutator::changed;
      else if (value == u"deleted") field_->status = ora_field_mutator::deleted;
      else return false;
      break;
    case 2: type_text_ = value; break;
    case 3: field_->default_value = value; break;
    case 4: field_->character_set = value; break;
    default:
      if (!parse_number(value, numbers_[step_ - first_number])) return false;
      break;
  }
  return ++step_ < field_lines || finish_field();
}

// The kind and packed attributes are not written: they follow from the type.
bool ora_mapping_tree::finish_field() {
  if (!type_text_.empty()) field_->set_type(type_text_, numbers_[0]);
  field_->length = numbers_[0];
  field_->scale = numbers_[1];
  field_->precision = numbers_[2];
  state_ = state::fields;
  return true;
}

bool ora_mapping_tree::complete() const {
  return state_ == state::start || state_ == state::tables || state_ == state::fields ||
         state_ == state::properties;
}
