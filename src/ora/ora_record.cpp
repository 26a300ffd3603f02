#include "ora_record.hpp"

#include "tk_logger.hpp"

ora_record::ora_record(const std::vector<std::unique_ptr<ora_type>>& columns) {
  tk_log(1, "ora_record::ctor");
  for (std::size_t i = 0; i < columns.size(); ++i) {
    ora_type& column = *columns[i];
    ole_variant value;
    if (column.is_null())
      tk_log(1, "Field #%d has NULL value", i);
    else
      value = column.to_variant();
    add(std::make_unique<udb_field>(column.name, static_cast<std::int32_t>(column.size), value));
  }
}
