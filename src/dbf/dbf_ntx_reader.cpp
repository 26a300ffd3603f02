#include "dbf_ntx_reader.hpp"

#include "dbf_index_file.hpp"

dbf_index_tag dbf_read_ntx(const std::string& path) {
  dbf_index_file file(path);
  const std::string header = file.read(0, 1024);
  const std::uint16_t signature = dbf_index_file::le16(header, 0);
  // 3: Clipper Summer '87; 6 and 7: Clipper 5 (7 with a FOR expression)
  if (signature != 3 && signature != 6 && signature != 7) file.damaged("its signature is not Clipper's");
  dbf_index_tag tag;
  tag.file = file.file_name();
  tag.name = file.base_name();
  tag.expression = dbf_index_file::text_at(header, 22, 256);
  tag.unique = header[278] != 0;
  tag.descending = header[280] != 0;
  tag.filter = dbf_index_file::text_at(header, 282, 256);
  if (tag.expression.empty()) file.damaged("its key expression is empty");
  return tag;
}
