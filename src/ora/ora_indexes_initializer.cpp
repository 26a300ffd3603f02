#include "ora_indexes_initializer.hpp"

#include "ora_engine.hpp"
#include "ora_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {
constexpr int ora_already_indexed = 1408;
constexpr int ora_key_exists = 2261;
constexpr int ora_name_in_use = 955;
constexpr int ora_constraint_name_in_use = 2264;
}  // namespace

ora_indexes_initializer::ora_indexes_initializer(std::u16string table_, const udb_schema& target,
                                                 const udb_indexes& source, const t_names_map& names,
                                                 ora_in_validator& registry)
    : table(std::move(table_)), schema_(target), names_(names) {
  registry.load(source);
  for (const udb_index& s : source) {
    bool acceptable = registry.names.is_acceptable(s.name);
    std::u16string name = acceptable ? s.name : registry.names.get_safe_name(s.name);
    udb_index index(name, s.unique, s.primary, {});
    index.functions = s.functions;
    index.descending = s.descending;
    bool usable = true;
    for (const std::u16string& column : s.fields) {
      std::u16string mapped = names_.get_mapped_name(column, udb_name_match::ignoring_case);
      if (!can_be_part_of_index(mapped)) {
        tk_log(2, "Field '%s' cannot be part of index", mapped);
        unusable_.emplace_back(index, mapped);
        usable = false;
        break;
      }
      index.fields.push_back(mapped);
    }
    if (!usable) continue;
    indexes.list.push_back(index);
    source_names.push_back(s.name);
    if (index.primary) key_index = static_cast<int>(indexes.size()) - 1;
    if (!acceptable) {
      tk_log(2, "Store generated index name '%s'", name);
      registry.names.add_existing_name(name);
    }
    registry.names.restricted_names.push_back(name);
  }
}

bool ora_indexes_initializer::can_be_part_of_index(const std::u16string& column) const {
  tk_log(1, "ora_indexes_initializer::can_be_part_of_index");
  int at = schema_.get_field_idx(column);
  if (at < 0) return false;
  const t_ftd& d = schema_[static_cast<std::size_t>(at)];
  tk_log(1, "GOT FIELD: vt=%d, size=%d", d.vartype, d.size);
  bool unbounded = d.size == 0 || d.size > 2000;
  bool long_kind = d.vartype == VT_BSTR || d.vartype == VT_BLOB_OBJECT ||
                   d.vartype == VT_BYTE_ARRAY || d.vartype == VT_BLOB;
  return !(unbounded && long_kind);
}

std::u16string ora_indexes_initializer::index_text(const udb_index& index) const {
  if (index.fields.empty()) {
    tk_log(1, "Skip index '%s' as it is built on empty fields list", index.name);
    return {};
  }
  std::u16string text;
  // A key constraint keeps its columns ascending (the order does not change
  // what it enforces, and a foreign key can refer to it); a descending plain
  // index is a function-based one in Oracle.
  const bool descending = index.descending && (index.has_functions() || !(index.unique || index.primary));
  if (index.has_functions() || descending) {
    // A constraint takes columns only: a function-based key is a unique index.
    text = std::u16string(index.unique || index.primary ? u"CREATE UNIQUE INDEX " : u"CREATE INDEX ") +
           ora_qualified(owner, index.name) + u" ON " + ora_qualified(owner, table) + u" (";
  } else if (index.primary) {
    text = u"ALTER TABLE " + ora_qualified(owner, table) + u" ADD CONSTRAINT " + ora_quoted(index.name) + u" PRIMARY KEY (";
  } else if (key_index >= 0 && !index.has_functions() && index.consists_of_fields(indexes[static_cast<std::size_t>(key_index)].fields)) {
    tk_log(2, "Skip index '%s', it is equal to PK", index.name);
    return {};
  } else if (index.unique) {
    text = u"ALTER TABLE " + ora_qualified(owner, table) + u" ADD CONSTRAINT " + ora_quoted(index.name) + u" UNIQUE (";
  } else {
    text = u"CREATE INDEX " + ora_qualified(owner, index.name) + u" ON " + ora_qualified(owner, table) + u" (";
  }
  return text + column_list(index, descending) + u")";
}

std::u16string ora_indexes_initializer::column_list(const udb_index& index, bool descending) const {
  std::u16string text;
  for (std::size_t i = 0; i < index.fields.size(); ++i) {
    tk_log(1, "Process idx.field %s", index.fields[i]);
    std::u16string column = ora_quoted(index.fields[i]);
    const std::u16string function = index.function_of(i);
    text += (i ? u", " : u"") + (function.empty() ? column : function + u"(" + column + u")") +
            (descending ? u" DESC" : u"");
  }
  return text;
}

void ora_indexes_initializer::build_indexes(ora_sql_runner& runner) {
  run_all(runner, [](const udb_index&, const ora_exception& e) { throw e; });
}

void ora_indexes_initializer::build_indexes(ora_sql_runner& runner, const failure& failed) {
  for (const auto& [index, column] : unusable_)
    failed(index, tk_format("its column %s is a memo or longer than an index column can be", column));
  run_all(runner, [&](const udb_index& index, const ora_exception& e) {
    if (e.connection_lost()) throw e;
    failed(index, e.message);
  });
}

void ora_indexes_initializer::build_indexes_noting_clashes(ora_sql_runner& runner, const failure& failed) {
  for (const auto& [index, column] : unusable_)
    failed(index, tk_format("its column %s is a memo or longer than an index column can be", column));
  run_all(runner, [&](const udb_index& index, const ora_exception& e) {
    if (e.connection_lost()) throw e;
    if (e.ora_number() != ora_name_in_use && e.ora_number() != ora_constraint_name_in_use) {
      failed(index, e.message);
      return;
    }
    for (std::size_t i = 0; i < indexes.size(); ++i)
      if (&indexes[i] == &index) name_clashes.push_back(source_names[i]);
  });
}

// Indexes the server already has under other names are no error.
void ora_indexes_initializer::run_all(ora_sql_runner& runner,
                                      const std::function<void(const udb_index&, const ora_exception&)>& refused) {
  tk_log(1, "ora_indexes_initializer::build_indexes(n_indexes=%d)", indexes.size());
  for (const udb_index& index : indexes) {
    std::u16string text = index_text(index);
    if (text.empty()) continue;
    tk_log(3, "Run SQL query: %s\n", text);
    try {
      runner.run(text);
    } catch (const ora_exception& e) {
      tk_log(2, "Got error: %08X", e.ora_number());
      if (e.ora_number() != ora_already_indexed && e.ora_number() != ora_key_exists) refused(index, e);
    }
  }
}
