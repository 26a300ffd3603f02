#include "tk_error_converter.hpp"

#include "tk_logger.hpp"

tk_error_converter::tk_error_converter(std::size_t count, const tk_error_text* table) {
  tk_log(2, "tk_error_converter::ctor (map size=%d)", count);
  load_map(count, table);
}

void tk_error_converter::load_map(std::size_t count, const tk_error_text* table) {
  tk_log(2, "tk_error_converter::load_map (map size=%d)", count);
  if (!table) TK_ASSERTION_FAILED();
  for (std::size_t i = 0; i < count; ++i) map_.emplace(table[i].code, table[i].message);
}

std::string tk_error_converter::convert(std::int32_t code) const {
  tk_log(2, "tk_error_converter::convert(%d)", code);
  auto it = map_.find(code);
  if (it == map_.end()) {
    tk_log(1, "Error message not found!");
    return {};
  }
  tk_log(1, "Error message has been found: %s", it->second);
  return it->second;
}
