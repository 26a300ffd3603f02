#include "ora_db_mutator.hpp"

#include "ora_logical_column.hpp"
#include "ora_util.hpp"
#include "tk_format.hpp"
#include "tk_printable_name.hpp"
#include "tk_reporter.hpp"
#include "udb_record.hpp"

namespace {

bool has_column(const udb_schema& schema, const std::u16string& name) {
  for (std::size_t i = 0; i < schema.size(); ++i)
    if (schema[i].name == name) return true;
  return false;
}

// Only the name and default of a change: the column keeps its type and its
// values their kind.
void rename_only(const ora_field_mutator& change, t_ftd& column) {
  if (!change.new_name.empty()) column.name = change.new_name;
  column.default_value = change.default_value.empty() ? ole_variant() : ole_variant(change.default_value);
}

// A logical column as the run can make it: retyped with its values' meaning
// kept, or renamed only (its own type, or one refused with a warning).
void add_logical(const ora_field_mutator& change, const t_ftd& source, udb_schema& result, bool logicals_as_is,
                 tk_reporter& reporter, const std::string& table) {
  const ora_logical_column logical(change.type, logicals_as_is);
  if (const std::string why = logical.refusal(); !why.empty())
    reporter.warn({table, 0, tk_printable_name_utf8(source.name), why});
  const ora_logical_column::plan how = logical.how();
  if (how == ora_logical_column::plan::own_type || how == ora_logical_column::plan::refused) {
    rename_only(change, result.add(std::make_unique<t_ftd>(source)));
    return;
  }
  t_ftd& column = result.add(change.make_descriptor(&source));
  change.modify1(column);
  const std::u16string default_text = logical.default_of(change.default_value);
  if (!default_text.empty()) column.default_value = ole_variant(default_text);
}

}  // namespace

ora_field_mutator ora_db_mutator::make_default_field(const t_ftd& column, bool logicals_as_is) {
  ora_field_mutator field;
  field.new_name = column.name;
  field.default_value = column.default_value.to_wstring();
  field.length = static_cast<std::int32_t>(column.size);
  if (column.vartype == VT_DECIMAL) {
    field.precision = static_cast<std::int32_t>(column.reserved >> 8 & 0xFF);
    field.scale = static_cast<std::int32_t>(column.reserved & 0xFF);
  }
  std::u16string type;
  switch (column.vartype) {
    case VT_I2: case VT_UI1: type = u"NUMBER(5,0)"; break;
    case VT_I4: case VT_UI2: case VT_INT: type = u"NUMBER(11,0)"; break;
    case VT_R4: case VT_R8: case VT_CY: type = u"NUMBER"; break;
    case VT_BOOL: type = logicals_as_is ? u"CHAR(1)" : u"NUMBER(3,0)"; break;
    case VT_I1: type = u"NUMBER(3,0)"; break;
    case VT_DECIMAL: type = tk_wformat(u"NUMBER(%d,%d)", field.precision, field.scale); break;
    case VT_UI4: case VT_I8: case VT_UI8: case VT_UINT: type = u"NUMBER(19,0)"; break;
    default: type = get_ora_native_type(column, false); break;
  }
  while (!type.empty() && type.back() == u' ') type.pop_back();
  field.type = ora_native_type::parse(type);
  return field;
}

std::u16string ora_db_mutator::customise_table(const std::u16string& name, udb_schema& schema, udb_indexes& indexes,
                                               bool logicals_as_is, tk_reporter& reporter) const {
  const ora_table_mutator* table = this->table(name);
  if (!table) return name;
  const std::string printable = tk_printable_name_utf8(name);
  for (const auto& [column, change] : table->fields)
    if (!has_column(schema, column))
      reporter.warn({printable, 0, tk_printable_name_utf8(column),
                     "the profile changes a column the table does not have: the change is not made"});
  table->modify3(indexes);
  udb_schema result;
  for (std::size_t i = 0; i < schema.size(); ++i) {
    const t_ftd& source = schema[i];
    const ora_field_mutator* change = table->field(source.name);
    if (change && change->status == ora_field_mutator::deleted) continue;
    if (!change || change->status != ora_field_mutator::changed) {
      result.add(std::make_unique<t_ftd>(source));
      continue;
    }
    if (source.vartype == VT_BOOL)
      add_logical(*change, source, result, logicals_as_is, reporter, printable);
    else
      change->modify1(result.add(change->make_descriptor(&source)));
  }
  schema = std::move(result);
  return table->new_name.empty() ? name : table->new_name;
}

std::unique_ptr<udb_record> ora_db_mutator::customise_record(const std::u16string& name, const udb_record& record,
                                                             bool logicals_as_is) const {
  const ora_table_mutator* table = this->table(name);
  if (!table || table->fields.empty()) return nullptr;
  auto result = std::make_unique<udb_record>();
  for (std::size_t i = 0; i < record.size(); ++i) {
    const ora_field_mutator* change = table->field(record[i].name);
    if (change && change->status == ora_field_mutator::deleted) continue;
    udb_field& cell = result->add(std::make_unique<udb_field>(record[i]));
    if (!change || change->status != ora_field_mutator::changed) continue;
    if (cell.get_type() == VT_BOOL) {
      const ora_logical_column logical(change->type, logicals_as_is);
      const ora_logical_column::plan how = logical.how();
      if (how == ora_logical_column::plan::own_type || how == ora_logical_column::plan::refused) {
        if (!change->new_name.empty()) cell.name = change->new_name;
        continue;
      }
      static_cast<ole_variant&>(cell) = logical.value(cell);
    }
    change->modify2(cell);
  }
  return result;
}
