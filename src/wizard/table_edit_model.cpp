#include "table_edit_model.hpp"

#include <algorithm>
#include <limits>

#include "ora_logical_column.hpp"
#include "tk_case.hpp"
#include "tk_exception.hpp"
#include "tk_logger.hpp"
#include "udb_schema.hpp"
#include "vesper_settings.hpp"
#include "wizard_prompts.hpp"

namespace {

// A length counts where the type text shows it ("VARCHAR2(32)").
bool same_column(const ora_field_mutator& a, const ora_field_mutator& b) {
  return a.new_name == b.new_name && a.type.text() == b.type.text() && a.default_value == b.default_value;
}

bool same_field(const ora_field_mutator& a, const ora_field_mutator& b) {
  return same_column(a, b) && a.status == b.status;
}

std::u16string nullability(const t_ftd& c) {
  if (c.auto_increment) return u"auto_increment";
  return c.b_not_null ? u"NOT NULL" : u"NULL";
}

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string trimmed(const std::u16string& text) {
  std::size_t start = 0, end = text.size();
  while (start < end && is_blank(text[start])) ++start;
  while (end > start && is_blank(text[end - 1])) --end;
  return text.substr(start, end - start);
}

// The whole number typed, with an optional sign; anything else reads 0.
std::int32_t number_in(const std::u16string& typed) {
  const std::u16string text = trimmed(typed);
  std::size_t at = text.empty() || (text[0] != u'-' && text[0] != u'+') ? 0 : 1;
  if (at == text.size()) return 0;
  std::int64_t value = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < u'0' || text[at] > u'9') return 0;
    value = value * 10 + (text[at] - u'0');
    if (value > std::numeric_limits<std::int32_t>::max()) return 0;
  }
  return static_cast<std::int32_t>(text[0] == u'-' ? -value : value);
}

std::u16string number_text(std::int32_t value) {
  std::u16string text;
  for (const char c : std::to_string(value)) text += char16_t(c);
  return text;
}

std::u16string positive_or_empty(std::int32_t value) { return value > 0 ? number_text(value) : std::u16string(); }

// The attributes of `type` in the types file; none when it cannot be read
// (the tables page reads both files before the dialog opens).
bool lists(const std::u16string& type, const std::u16string& wanted) {
  std::vector<std::u16string> attributes;
  try {
    attributes = ora_db_mutator::get_type_attributes(type);
  } catch (const tk_exception& e) {
    tk_log(3, "%s", e.message);
  }
  const auto upper = [](std::u16string text) {
    for (char16_t& c : text)
      if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    return text;
  };
  return std::any_of(attributes.begin(), attributes.end(),
                     [&](const std::u16string& a) { return upper(a) == wanted; });
}

}  // namespace

table_edit_model::table_edit_model(ora_db_mutator& mutator, const std::u16string& table, const udb_schema& schema,
                                   bool logicals_as_is, vesper_settings* settings)
    : mutator_(mutator),
      table_(table),
      logicals_as_is_(logicals_as_is),
      settings_(settings),
      keys_shown_(settings && settings->existing_tables == existing_table_mode::sync) {
  if (const ora_table_mutator* stored = mutator_.table(table)) {
    working_.new_name = stored->new_name;
    for (const auto& [name, field] : stored->fields) working_.fields[name] = std::make_unique<ora_field_mutator>(*field);
  }
  table_name = working_.new_name.empty() ? table : working_.new_name;
  for (std::size_t i = 0; i < schema.size(); ++i) {
    columns_.push_back({schema[i].name, ora_db_mutator::make_default_field(schema[i], logicals_as_is_),
                        schema[i].vartype == VT_BOOL, nullability(schema[i])});
    kept.push_back(effective(i).status != ora_field_mutator::deleted);
  }
  mark_stored_key();
}

// The key the settings hold for the table, compared as the run compares
// it: table and field names without case.
void table_edit_model::mark_stored_key() {
  key.assign(columns_.size(), false);
  const std::vector<std::u16string>* stored = settings_ ? settings_->sync_key_of(table_) : nullptr;
  if (stored)
    for (std::size_t at = 0; at < columns_.size(); ++at)
      key[at] = std::any_of(stored->begin(), stored->end(),
                            [&](const std::u16string& field) { return tk_loose_equal(field, columns_[at].source); });
  stored_key_ = key;
}

bool table_edit_model::key_kept(const wizard_prompts& prompts) const {
  if (!keys_shown_) return true;
  for (std::size_t at = 0; at < columns_.size(); ++at)
    if (key[at] && !kept[at]) {
      prompts.message(key_dropped);
      return false;
    }
  return true;
}

// Written only when the marks changed, so that a key the profile gave in
// another order, or with a field the table lacks, stays as it was.
void table_edit_model::store_key() {
  if (!keys_shown_ || key == stored_key_) return;
  for (auto it = settings_->sync_keys.begin(); it != settings_->sync_keys.end();)
    it = tk_loose_equal(it->first, table_) ? settings_->sync_keys.erase(it) : std::next(it);
  std::vector<std::u16string> fields;
  for (std::size_t at = 0; at < columns_.size(); ++at)
    if (key[at]) fields.push_back(columns_[at].source);
  if (!fields.empty()) settings_->sync_keys[table_] = std::move(fields);
  stored_key_ = key;
}

const ora_field_mutator& table_edit_model::effective(std::size_t at) const {
  const column& c = columns_[at];
  const ora_field_mutator* m = working_.field(c.source);
  return m ? *m : c.initial;
}

table_edit_model::list_row table_edit_model::row(std::size_t at) const {
  const ora_field_mutator& shown = effective(at);
  return {shown.new_name, shown.type.text(), shown.default_value, columns_[at].nullability};
}

// The column's own type first, then its default one and the types the map
// file allows in place of that default, so that a retyped column can be
// given its default type back.
void table_edit_model::show_row(std::size_t at) {
  shown_row = static_cast<int>(at);
  const column& c = columns_[at];
  const ora_field_mutator& shown = effective(at);
  field_name = shown.new_name;
  default_value = shown.default_value;
  length = positive_or_empty(shown.type.length > 0 ? shown.type.length : shown.length);
  precision = positive_or_empty(shown.type.precision);
  scale = positive_or_empty(shown.type.scale);
  std::vector<std::u16string> offered{shown.type.text(), c.initial.type.text()};
  try {
    for (const std::u16string& mapped : ora_db_mutator::get_mapped_types(c.initial.type.text()))
      offered.push_back(mapped);
  } catch (const tk_exception& e) {
    tk_log(3, "%s", e.message);
  }
  types.clear();
  for (const std::u16string& t : offered)
    if (std::find(types.begin(), types.end(), t) == types.end()) types.push_back(t);
  type = types.front();
}

void table_edit_model::choose_type(const std::u16string& chosen) {
  type = chosen;
  const ora_native_type named = ora_native_type::parse(chosen);
  if (named.length > 0) length = number_text(named.length);
  if (named.precision > 0) {
    precision = number_text(named.precision);
    scale = number_text(named.scale);
  }
}

bool table_edit_model::has_length() const { return lists(type, u"LENGTH"); }

bool table_edit_model::has_precision_scale() const { return lists(type, u"PRECISION") && lists(type, u"SCALE"); }

bool table_edit_model::store_shown_row(const wizard_prompts& prompts) {
  if (shown_row < 0) return true;
  const auto at = static_cast<std::size_t>(shown_row);
  const std::u16string name = trimmed(field_name);
  if (name.empty()) {
    prompts.message(empty_name);
    return false;
  }
  const bool sized = has_length();
  const std::int32_t new_length = sized ? number_in(length) : 0;
  if (sized && new_length <= 0) {
    prompts.message(bad_length);
    return false;
  }
  ora_native_type chosen = ora_native_type::parse(type);
  if (has_precision_scale()) {
    chosen.precision = number_in(precision);
    chosen.scale = number_in(scale);
  }
  if (sized) chosen.length = new_length;
  // The run would keep the column's own type: the choice is refused here.
  if (columns_[at].logical && ora_logical_column(chosen, logicals_as_is_).how() == ora_logical_column::plan::refused) {
    prompts.message(logical_refused);
    return false;
  }
  ora_field_mutator edited = effective(at);
  edited.new_name = name;
  edited.set_type(chosen.text(), new_length);
  edited.default_value = default_value;
  if (same_column(edited, effective(at))) return true;
  const std::uint32_t status = effective(at).status;
  ora_field_mutator& stored = working_.update_field(columns_[at].source, name, chosen.text(), new_length);
  stored.default_value = edited.default_value;
  if (status == ora_field_mutator::deleted) stored.status = status;
  return true;
}

void table_edit_model::apply_kept() {
  for (std::size_t at = 0; at < columns_.size(); ++at) {
    const column& c = columns_[at];
    ora_field_mutator* m = working_.field(c.source);
    if (!kept[at]) {
      if (!m) m = (working_.fields[c.source] = std::make_unique<ora_field_mutator>(c.initial)).get();
      m->status = ora_field_mutator::deleted;
    } else if (m && same_column(*m, c.initial)) {
      working_.fields.erase(c.source);
    } else if (m) {
      m->status = ora_field_mutator::changed;
    }
  }
}

bool table_edit_model::differs_from(const ora_table_mutator* stored) const {
  if (!stored) return !working_.fields.empty() || !working_.new_name.empty();
  if (stored->fields.size() != working_.fields.size() || stored->new_name != working_.new_name) return true;
  for (const auto& [name, field] : working_.fields) {
    const ora_field_mutator* before = stored->field(name);
    if (!before || !same_field(*before, *field)) return true;
  }
  return false;
}

bool table_edit_model::accept(const wizard_prompts& prompts) {
  tk_log(2, "table_edit_model::accept");
  if (!store_shown_row(prompts)) return false;
  const std::u16string name = trimmed(table_name);
  if (name.empty()) {
    prompts.message(empty_name);
    return false;
  }
  if (!key_kept(prompts)) return false;
  apply_kept();
  store_key();
  working_.new_name = name == table_ ? std::u16string() : name;
  const ora_table_mutator* stored = mutator_.table(table_);
  if (differs_from(stored)) {
    ora_table_mutator& target = mutator_.table_for_update(table_);
    target.new_name = working_.new_name;
    target.fields = std::move(working_.fields);
  }
  return true;
}
