// The user's customisation of a whole conversion: one table mutator per
// customised source table (exact names), and the two data files that say
// which target types a column may take instead of its default (the map
// file) and which attributes each type has (the types file).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_yaml_config.hpp"
#include "udb_data_file.hpp"
#include "udb_properties.hpp"
#include "udb_table_mutator.hpp"

template <typename TableMutator, const char* MapFile, const char* TypesFile>
class udb_db_mutator : public udb_properties {
 public:
  virtual ~udb_db_mutator() = default;

  TableMutator* table(const std::u16string& name) const {
    auto found = tables.find(name);
    return found == tables.end() ? nullptr : found->second.get();
  }
  // Takes a deep copy of `other`'s tables, for a run on another thread that
  // must not share them with the user's changes.
  void copy_tables_from(const udb_db_mutator& other) {
    tables.clear();
    for (const auto& [name, source] : other.tables) {
      auto copy = std::make_unique<TableMutator>();
      static_cast<udb_properties&>(*copy) = *source;
      copy->new_name = source->new_name;
      for (const auto& [column, field] : source->fields)
        copy->fields[column] = std::make_unique<std::remove_cvref_t<decltype(*field)>>(*field);
      tables[name] = std::move(copy);
    }
  }
  TableMutator& table_for_update(const std::u16string& name) {
    auto& slot = tables[name];
    if (!slot) slot = std::make_unique<TableMutator>();
    return *slot;
  }

  // The target name of a table; its schema and indexes as customised.
  std::u16string modify1(const std::u16string& name, udb_schema& schema, udb_indexes& indexes) const {
    tk_log(2, "udb_db_mutator::modify1(%s)", name);
    const TableMutator* m = table(name);
    if (!m) return name;
    m->modify3(indexes);
    schema = m->modify1(schema);
    return m->new_name.empty() ? name : m->new_name;
  }

  // True when the records of the table pass through its customisation.
  bool changes_records(const std::u16string& name) const {
    const TableMutator* m = table(name);
    return m && !m->fields.empty();
  }
  std::unique_ptr<udb_record> modify2(const std::u16string& name, const udb_record& record) const {
    return table(name)->modify2(record);
  }

  // The types a column of `type` may take instead (empty when none).
  static std::vector<std::u16string> get_mapped_types(const std::u16string& type) {
    tk_log(1, "udb_db_mutator<F>::get_mapped_types(%s)", type);
    return lookup(map_file(), MapFile, type);
  }
  // The attributes (LENGTH, PRECISION, SCALE) of a type.
  static std::vector<std::u16string> get_type_attributes(const std::u16string& type) {
    return lookup(types_file(), TypesFile, type);
  }

  std::map<std::u16string, std::unique_ptr<TableMutator>> tables;

 private:
  struct data_file {
    std::mutex mutex;
    bool loaded = false;
    tk_yaml_config config;
  };
  static data_file& map_file() {
    static data_file file;
    return file;
  }
  static data_file& types_file() {
    static data_file file;
    return file;
  }

  // "NUMBER(10,2)" -> "NUMBER", "NVARCHAR2(40) " -> "NVARCHAR2".
  static std::u16string bare_name(const std::u16string& type) {
    std::u16string name = type.substr(0, type.find(u'('));
    while (!name.empty() && name.back() == u' ') name.pop_back();
    return name;
  }

  // Loaded on first use; a missing file raises the level-1 error and is
  // tried again next time.
  static std::vector<std::u16string> lookup(data_file& file, const char* name, const std::u16string& key) {
    std::lock_guard<std::mutex> lock(file.mutex);
    if (!file.loaded) {
      tk_log(1, "Gonna load typesmap.cfg");
      tk_yaml_config config;
      if (!config.load(udb_data_file(name), {}))
        throw tk_exception(tk_format("Cannot find %s. Custom type mapping is not available.", name),
                           tk_exception::run_level);
      file.config = std::move(config);
      file.loaded = true;
    }
    auto found = file.config.data.find(key);
    if (found == file.config.data.end()) found = file.config.data.find(bare_name(key));
    return found == file.config.data.end() ? std::vector<std::u16string>() : found->second;
  }
};
