#include "dbf_idx_reader.hpp"

#include "dbf_index_file.hpp"

dbf_index_tag dbf_read_idx(const std::string& path) {
  dbf_index_file file(path);
  const std::string header = file.read(0, 512);
  const auto options = std::uint8_t(header[14]);
  dbf_index_tag tag;
  if (options & dbf_index_file::option_compact) {
    tag = dbf_compact_tag(file, 0);
  } else {
    tag.file = file.file_name();
    tag.expression = dbf_index_file::text_at(header, 16, 220);
    if (options & dbf_index_file::option_filter) tag.filter = dbf_index_file::text_at(header, 236, 220);
    tag.unique = options & dbf_index_file::option_unique;
  }
  if (tag.expression.empty()) file.damaged("its key expression is empty");
  tag.name = file.base_name();
  return tag;
}
