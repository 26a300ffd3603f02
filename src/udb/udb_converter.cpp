#include "udb_converter.hpp"

#include "tk_logger.hpp"

udb_converter::udb_converter() { tk_log(2, "udb_converter::ctor"); }

std::u16string udb_converter::current_table() const {
  std::lock_guard<std::mutex> lock(name_mutex_);
  return cur_table_;
}

void udb_converter::set_current_table(const std::u16string& name) {
  std::lock_guard<std::mutex> lock(name_mutex_);
  cur_table_ = name;
}

void udb_converter::reset_progress() {
  tables_total = 0;
  table_index = 0;
  records_total = 0;
  records_done = 0;
}
