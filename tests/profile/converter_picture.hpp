// Everything a profile carries for a converter, as text: two converters
// that a profile should make equal compare in one assertion whose failure
// shows the difference. Tables chosen are sorted (the file sorts them).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "tk_format.hpp"
#include "vesper_converter.hpp"

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

inline std::string picture_of(vesper_converter& c) {
  std::string text = tk_format(u"src=%s dest=%s logfile=", c.src, c.dest) + c.logfile;
  text += tk_format(" mode=%d code_page=%d bool_dbf=%d skip_del=%d skip_idx=%d tab_def=%d\n", c.mode, c.code_page,
                    int(c.bool_dbf), int(c.skip_del), int(c.skip_idx), int(c.tab_def));
  text += tk_format(u"host=%s user=%s password=%s port=%s\n", c.host, c.user, c.password, c.port);
  std::vector<std::u16string> tables = c.sel_tables;
  std::sort(tables.begin(), tables.end());
  for (const auto& name : tables) text += tk_format(u"table %s\n", name);
  for (const auto& [name, sql] : c.sel_queries) text += tk_format(u"selected %s=%s\n", name, sql);
  for (const auto& [name, sql] : c.avail_queries) text += tk_format(u"available %s=%s\n", name, sql);
  text += picture_of_properties(c.get_properties());
  for (const auto& [name, table] : c.tables) {
    text += tk_format(u"  mapping %s -> %s\n", name, table->new_name);
    text += picture_of_properties(table->get_properties());
    for (const auto& [column, field] : table->fields) text += picture_of_field(column, *field);
  }
  return text;
}
