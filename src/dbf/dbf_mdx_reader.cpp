#include "dbf_mdx_reader.hpp"

#include "dbf_index_file.hpp"

namespace {
constexpr std::size_t tag_table = 544;
constexpr std::size_t page_size = 512;
constexpr std::uint8_t format_descending = 0x08;
constexpr std::uint8_t format_distinct = 0x20;
constexpr std::uint8_t format_unique = 0x40;
// A tag's header is a block of two pages: byte 245 says whether the tag has
// a FOR filter, whose text starts at byte 762, in the second page.
constexpr std::size_t header_block = 2 * page_size;
constexpr std::size_t has_filter = 245;
constexpr std::size_t filter_at = 762;
constexpr std::size_t expression_room = 220;
}  // namespace

std::vector<dbf_index_tag> dbf_read_mdx(const std::string& path) {
  dbf_index_file file(path);
  const std::string header = file.read(0, tag_table);
  const std::size_t entry_size = std::uint8_t(header[26]);
  const std::size_t in_use = dbf_index_file::le16(header, 28);
  const std::size_t entries = std::uint8_t(header[25]);
  if (entry_size < 21 || in_use > entries || in_use > 47) file.damaged("its tag table is not valid");
  const std::string table = file.read(tag_table, in_use * entry_size);
  std::vector<dbf_index_tag> tags;
  for (std::size_t i = 0; i < in_use; ++i) {
    const std::size_t entry = i * entry_size;
    const std::uint32_t page = dbf_index_file::le32(table, entry);
    if (page == 0) file.damaged("a tag has no header page");
    const bool filtered = file.read(std::uint64_t(page) * page_size + has_filter, 1)[0] != 0;
    const std::string tag_header = file.read(std::uint64_t(page) * page_size, filtered ? header_block : page_size);
    const auto format = std::uint8_t(tag_header[8]);
    dbf_index_tag tag;
    tag.file = file.file_name();
    tag.name = dbf_index_file::text_at(table, entry + 4, 11);
    tag.expression = dbf_index_file::text_at(tag_header, 24, expression_room);
    if (filtered) tag.filter = dbf_index_file::text_at(tag_header, filter_at, expression_room);
    tag.descending = format & format_descending;
    tag.unique = format & format_unique;
    tag.candidate = format & format_distinct;
    if (tag.name.empty() || tag.expression.empty()) file.damaged("a tag has no name or no key expression");
    tags.push_back(tag);
  }
  return tags;
}
