#include "container_relations.hpp"

#include <algorithm>

#include "tk_case.hpp"
#include "tk_format.hpp"
#include "tk_printable_name.hpp"
#include "tk_reporter.hpp"
#include "tk_wstring.hpp"
#include "udb_recordset.hpp"
#include "udb_target.hpp"
#include "udb_target_exception.hpp"

namespace {

std::u16string key_of(const std::u16string& name) { return tk_wstring(name).to_upper(); }

const udb_index* tag_of(const udb_indexes& indexes, const std::u16string& tag) {
  auto found = std::find_if(indexes.begin(), indexes.end(),
                            [&](const udb_index& index) { return tk_loose_equal(index.name, tag); });
  return found == indexes.end() ? nullptr : &*found;
}

}  // namespace

void container_relations::table_loaded(const std::u16string& source_name, const std::u16string& target_table,
                                       const udb_recordset& table, std::vector<udb_table_relation> relations) {
  table_loaded(source_name, target_table, table.schema, table.indexes, std::move(relations));
}

void container_relations::table_loaded(const std::u16string& source_name, const std::u16string& target_table,
                                       const udb_schema& schema, const udb_indexes& indexes,
                                       std::vector<udb_table_relation> relations) {
  tables_[key_of(source_name)] = {source_name, target_table, schema, indexes, std::move(relations)};
}

void container_relations::build(udb_target& target, tk_reporter& reporter) const {
  for (const auto& [key, child] : tables_)
    for (const udb_table_relation& relation : child.relations) build(target, reporter, child, relation);
}

void container_relations::build(udb_target& target, tk_reporter& reporter, const loaded& child,
                                const udb_table_relation& relation) const {
  auto warn = [&](const std::string& why) {
    reporter.warn(
        {tk_printable_name_utf8(child.source), 0, {},
         tk_format("the relation of tag %s to %s (tag %s) becomes no foreign key: %s", relation.child_tag,
                   relation.parent_table, relation.parent_tag, why)});
  };
  // The run names the parent after its file, which the container may name otherwise.
  const auto parent =
      tables_.find(key_of(relation.parent_file.empty() ? relation.parent_table : relation.parent_file));
  if (parent == tables_.end()) return warn("the parent table was not created by this run");
  const udb_index* child_key = tag_of(child.indexes, relation.child_tag);
  const udb_index* parent_key = tag_of(parent->second.indexes, relation.parent_tag);
  if (!child_key || !parent_key) return warn("a tag of it did not become an Oracle index");
  if (child_key->has_functions() || parent_key->has_functions() ||
      child_key->fields.size() != parent_key->fields.size())
    return warn("its tags do not have the same plain columns");
  try {
    target.create_foreign_key({child.target, child.schema, child.indexes, child_key->fields},
                              {parent->second.target, parent->second.schema, parent->second.indexes,
                               parent_key->fields});
  } catch (const udb_target_exception& e) {
    if (e.connection_lost()) throw;
    // Oracle's own message, then what the user can do about it.
    std::string why = e.message;
    const std::string advice = reporter.advice(e.code);
    if (!advice.empty()) why += "\n" + advice;
    warn(why);
  }
}
