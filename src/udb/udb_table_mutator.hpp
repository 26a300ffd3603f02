// The user's changes to one table: a new name and the column changes,
// applied to the table's schema, index definitions and records.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "tk_logger.hpp"
#include "udb_indexes.hpp"
#include "udb_properties.hpp"
#include "udb_record.hpp"
#include "udb_schema.hpp"

template <typename FieldMutator>
class udb_table_mutator : public udb_properties {
 public:
  FieldMutator* field(const std::u16string& column) const {
    auto found = fields.find(column);
    return found == fields.end() ? nullptr : found->second.get();
  }

  // The schema without deleted columns, changed ones transformed.
  udb_schema modify1(const udb_schema& source) const {
    tk_log(2, "udb_table_mutator::modify1()");
    if (fields.empty()) return source;
    udb_schema result;
    for (std::size_t i = 0; i < source.size(); ++i) {
      const FieldMutator* m = field(source[i].name);
      if (m && m->status == FieldMutator::deleted) continue;
      t_ftd& column = result.add(m ? m->make_descriptor(&source[i]) : std::make_unique<t_ftd>(source[i]));
      if (m && m->status == FieldMutator::changed) m->modify1(column);
    }
    return result;
  }

  // The record the same way; the source record itself when nothing changes.
  std::unique_ptr<udb_record> modify2(const udb_record& source) const {
    auto result = std::make_unique<udb_record>();
    for (std::size_t i = 0; i < source.size(); ++i) {
      const FieldMutator* m = field(source[i].name);
      if (m && m->status == FieldMutator::deleted) continue;
      udb_field& cell = result->add(std::make_unique<udb_field>(source[i]));
      if (m && m->status == FieldMutator::changed) m->modify2(cell);
    }
    return result;
  }

  // Index columns renamed as their columns are.
  void modify3(udb_indexes& indexes) const {
    for (udb_index& index : indexes.list)
      for (std::u16string& column : index.fields)
        if (const FieldMutator* m = field(column); m && !m->new_name.empty()) column = m->new_name;
  }

  // Records the dialog's change of one column.
  FieldMutator& update_field(const std::u16string& old_name, const std::u16string& new_name,
                             const std::u16string& native_type, std::int32_t length) {
    tk_log(1, "udb_table_mutator::update_field(old_name=%s,new_name=%s,native_type=%s,length=%d)",
           old_name, new_name, native_type, length);
    auto& slot = fields[old_name];
    if (!slot) slot = std::make_unique<FieldMutator>();
    slot->status = FieldMutator::changed;
    slot->new_name = new_name;
    slot->set_type(native_type, length);
    return *slot;
  }

  std::map<std::u16string, std::unique_ptr<FieldMutator>> fields;
  std::u16string new_name;
};
