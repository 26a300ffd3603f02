#include "dbf_container_writer.hpp"

#include "dbf_writer.hpp"

dbf_container_writer& dbf_container_writer::table(std::u16string name, std::vector<std::u16string> fields) {
  tables_.push_back({std::move(name), std::move(fields)});
  return *this;
}

std::filesystem::path dbf_container_writer::write(const std::filesystem::path& folder,
                                                  const std::string& file_name) const {
  dbf_writer container(0x30);
  container.table_flags(0x07)  // structural index, memo, container
      .field(u"OBJECTID", 'I')
      .field(u"PARENTID", 'I')
      .field(u"OBJECTTYPE", 'C', 10)
      .field(u"OBJECTNAME", 'C', 128)
      .field(u"PROPERTY", 'M')
      .field(u"CODE", 'M')
      .field(u"RIINFO", 'C', 6)
      .field(u"USER", 'M');
  int id = 0;
  auto add = [&](int parent, const std::u16string& type, const std::u16string& name) {
    container.record({dbf_cell::integer(++id), dbf_cell::integer(parent), dbf_cell::text(type), dbf_cell::text(name),
                      dbf_cell::null(), dbf_cell::null(), dbf_cell::text(u""), dbf_cell::null()});
    return id;
  };
  const int database = add(0, u"Database", u"Database");
  for (const listed& t : tables_) {
    const int table = add(database, u"Table", t.name);
    for (const std::u16string& field : t.fields) add(table, u"Field", field);
  }
  return container.write(folder, file_name);
}
