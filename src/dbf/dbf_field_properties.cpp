#include "dbf_field_properties.hpp"

#include <algorithm>

#include "dbf_recordset.hpp"
#include "tk_code_page.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {

constexpr std::size_t head_size = 16;
constexpr std::size_t descriptor_size = 15;

std::uint16_t le16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

[[noreturn]] void damaged(const std::string& why) { throw tk_exception(why); }

bool known(std::uint8_t kind) {
  using p = dbf_field_properties;
  return kind == p::required || kind == p::minimum || kind == p::maximum || kind == p::default_value ||
         kind == p::constraint;
}

std::string text_of(const ole_variant& value) {
  std::u16string text = value.to_wstring();
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\0')) text.pop_back();
  return tk_utf16_to_utf8_lenient(text);
}

}  // namespace

dbf_field_properties::dbf_field_properties(std::string_view block, std::size_t field_count) {
  if (std::all_of(block.begin(), block.end(), [](char c) { return c == '\0'; })) return;
  if (block.size() < head_size) damaged("the block is shorter than its head");
  const std::size_t count = le16(block, 0), start = le16(block, 2);
  if (start < head_size || start + count * descriptor_size > block.size())
    damaged(tk_format("its %d property descriptors lie past the end of the header", count));
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view d = block.substr(start + i * descriptor_size, descriptor_size);
    property p;
    p.generation = le16(d, 0);
    p.field = le16(d, 2);
    p.kind = std::uint8_t(d[4]);
    if (!known(p.kind)) {
      tk_log(2, "Field property of unknown kind %d for field %d left alone", p.kind, p.field);
      continue;
    }
    if (p.kind != constraint && (p.field == 0 || p.field > field_count))
      damaged(tk_format("a property names field %d, the table has %d", p.field, field_count));
    if (p.kind != required) {
      const std::size_t offset = le16(d, 11), width = le16(d, 13);
      if (offset < head_size || offset + width > block.size())
        damaged(tk_format("the value of a property of field %d lies past the end of the header", p.field));
      p.data = std::string(block.substr(offset, width));
    }
    properties_.push_back(std::move(p));
  }
}

std::vector<dbf_field_properties::property> dbf_field_properties::current() const {
  std::vector<property> latest;
  for (const property& p : properties_) {
    auto same = std::find_if(latest.begin(), latest.end(),
                             [&](const property& l) { return l.field == p.field && l.kind == p.kind; });
    if (same == latest.end())
      latest.push_back(p);
    else if (p.generation > same->generation)
      *same = p;
  }
  return latest;
}

void dbf_field_properties::apply(dbf_recordset& table, const std::string& shown_name) {
  if (!table.is_level7()) return;
  auto warn = [&](const std::string& what) { table.reporter().warn({shown_name, 0, {}, what}); };
  std::vector<property> properties;
  try {
    properties = dbf_field_properties(table.field_properties_block(), table.schema.size()).current();
  } catch (const tk_exception& e) {
    warn(tk_format("the field properties after its field descriptors are damaged (%s): no default or required "
                   "field of them is carried over",
                   e.message));
    return;
  }
  for (const property& p : properties) {
    if (p.kind == constraint) {
      const std::string text(p.data.c_str());  // kept with its terminating NUL
      warn(tk_format("its table constraint %s is not carried over: Oracle gets no check constraint for it",
                     tk_code_page::get(table.get_codepage()).decode(text)));
      continue;
    }
    const std::size_t column = p.field - 1;
    t_ftd& field = table.schema[column];
    if (p.kind == required) {
      tk_log(2, "Field %s is required", field.name);
      field.required = true;
      continue;
    }
    std::string why;
    const std::optional<ole_variant> value = table.value_of(column, p.data, why);
    const char* what = p.kind == default_value ? "default value" : p.kind == minimum ? "minimum" : "maximum";
    if (!value) {
      warn(tk_format("the %s of field %s in its field properties cannot be read (%s): it is not carried over", what,
                     field.name, why));
    } else if (p.kind != default_value) {
      warn(tk_format("field %s has the %s %s in its field properties: Oracle gets no check constraint for it",
                     field.name, what, text_of(*value)));
    } else if (!text_of(*value).empty()) {
      tk_log(2, "Field %s has the default %s", field.name, text_of(*value));
      field.default_value = *value;
    }
  }
}
