// Everything a profile carries for a converter, as text: two converters
// that a profile should make equal compare in one assertion whose failure
// shows the difference. Tables chosen are sorted (the file sorts them).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "tk_format.hpp"
#include "ora_db_mutator.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"

inline std::string picture_of_field(const std::u16string& name, const ora_field_mutator& f) {
  return tk_format(u"    field %s: new_name=%s status=%d vartype=%d reserved=%d type=%s/%s(%d,%d,%d) default=%s "
                   u"charset=%s length=%d scale=%d precision=%d\n",
                   name, f.new_name, f.status, f.vartype, f.reserved, f.type.text(), f.type.name, f.type.length,
                   f.type.precision, f.type.scale, f.default_value, f.character_set, f.length, f.scale,
                   f.precision);
}

inline std::string picture_of_properties(const udb_properties::properties& properties) {
  std::string text;
  for (const auto& [key, value] : properties) text += tk_format(u"    property %s=%s\n", key, value);
  return text;
}

// What a profile fills in: the settings and the customisation.
struct profile_holder {
  vesper_settings settings;
  ora_db_mutator customisation;
  bool store_profile(const std::string& path) { return vesper_profile_io(settings, customisation).store(path); }
  bool load_profile(const std::string& path) { return vesper_profile_io(settings, customisation).load(path); }
};

inline std::string picture_of(profile_holder& c) {
  std::string text = tk_format(u"src=%s dest=%s logfile=", c.settings.folder, c.settings.service) + c.settings.log_file;
  text += tk_format(" mode=%d code_page=%d bool_dbf=%d skip_del=%d skip_idx=%d tab_def=%d\n", static_cast<int>(c.settings.existing_tables), c.settings.code_page,
                    int(c.settings.logicals_as_is), int(c.settings.skip_deleted), int(c.settings.skip_indexes), int(c.settings.definitions_only));
  text += tk_format(u"host=%s user=%s password=%s port=%s\n", c.settings.host, c.settings.user, c.settings.password, c.settings.port);
  std::vector<std::u16string> tables = c.settings.tables;
  std::sort(tables.begin(), tables.end());
  for (const auto& name : tables) text += tk_format(u"table %s\n", name);
  for (const auto& [name, sql] : c.settings.table_queries) text += tk_format(u"selected %s=%s\n", name, sql);
  for (const auto& [name, sql] : c.settings.unused_queries) text += tk_format(u"available %s=%s\n", name, sql);
  text += picture_of_properties(c.customisation.get_properties());
  for (const auto& [name, table] : c.customisation.tables) {
    text += tk_format(u"  mapping %s -> %s\n", name, table->new_name);
    text += picture_of_properties(table->get_properties());
    for (const auto& [column, field] : table->fields) text += picture_of_field(column, *field);
  }
  return text;
}
