#include "udb_recordset.hpp"

#include "tk_logger.hpp"
#include "udb_row_writer.hpp"

udb_recordset::udb_recordset(std::u16string name_, std::u16string second_text_)
    : second_text(std::move(second_text_)), name(std::move(name_)) {}

std::unique_ptr<udb_record_writer> udb_recordset::open_writer(const udb_write_options&, udb_write_sinks sinks) {
  return std::make_unique<udb_row_writer>(*this, std::move(sinks));
}

void udb_recordset::update() { tk_log(1, "udb_recordset::update"); }

void udb_recordset::add_index(const udb_index& index) {
  tk_log(1, "udb_recordset::add_index (%s)", index.name);
  if (!indexes.is_acceptable_name(index.name)) return;
  if (key_index == -1 && (index.unique || index.primary)) {
    tk_log(1, "Store primary/unique key");
    key_index = static_cast<int>(indexes.size());
  }
  indexes.list.push_back(index);
}
