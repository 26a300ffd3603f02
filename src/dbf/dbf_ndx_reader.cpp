#include "dbf_ndx_reader.hpp"

#include "dbf_index_file.hpp"

dbf_index_tag dbf_read_ndx(const std::string& path) {
  dbf_index_file file(path);
  const std::string header = file.read(0, 512);
  const std::uint16_t key_length = dbf_index_file::le16(header, 12);
  if (key_length == 0 || key_length > 100) file.damaged("its key length is not valid");
  dbf_index_tag tag;
  tag.file = file.file_name();
  tag.name = file.base_name();
  tag.expression = dbf_index_file::text_at(header, 24, 488);
  tag.unique = header[23] != 0;
  if (tag.expression.empty()) file.damaged("its key expression is empty");
  return tag;
}
