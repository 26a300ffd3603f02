#include "dbf_cdx_reader.hpp"

namespace {
constexpr std::size_t node_size = 512;
constexpr std::uint16_t leaf_node = 0x02;
constexpr std::uint32_t no_node = 0xFFFFFFFF;
constexpr std::size_t leaf_entries = 24;  // where a leaf's packed entries start
}  // namespace

dbf_cdx_reader::dbf_cdx_reader(const std::string& path) : file_(path) {
  const std::string header = file_.read(0, 1024);
  if (!(std::uint8_t(header[14]) & dbf_index_file::option_tag_directory))
    file_.damaged("its first header is not a tag directory");
  const std::size_t key_length = dbf_index_file::le16(header, 12);
  if (key_length == 0 || key_length > 240) file_.damaged("the tag directory has no valid key length");
  read_directory(dbf_index_file::le32(header, 0), key_length);
}

void dbf_cdx_reader::visit(std::uint64_t offset) {
  if (offset % node_size != 0 || !visited_.insert(offset).second) file_.damaged("its tag directory is not a tree");
}

void dbf_cdx_reader::read_directory(std::uint64_t offset, std::size_t key_length) {
  for (;;) {
    visit(offset);
    const std::string node = file_.read(offset, node_size);
    const std::uint16_t keys = dbf_index_file::le16(node, 2);
    if (dbf_index_file::le16(node, 0) & leaf_node) {
      read_leaf(node, key_length);
    } else {
      // An interior node: key, record number and child (both big-endian);
      // the leftmost child leads to the first leaf, siblings to the rest.
      if (keys == 0 || 12 + key_length + 8 > node_size) file_.damaged("an interior node is empty");
      return read_directory(dbf_index_file::be32(node, 12 + key_length + 4), key_length);
    }
    const std::uint32_t right = dbf_index_file::le32(node, 8);
    if (right == no_node) return;
    offset = right;
  }
}

// A leaf packs each key's record number (for the directory: the tag
// header's offset), duplicate count and trailing count into a few bytes at
// the front; the keys themselves, without their shared heads and blank
// tails, are stacked from the end of the node backwards.
void dbf_cdx_reader::read_leaf(const std::string& node, std::size_t key_length) {
  const std::uint16_t keys = dbf_index_file::le16(node, 2);
  const std::uint32_t record_mask = dbf_index_file::le32(node, 14);
  const std::uint8_t duplicate_mask = std::uint8_t(node[18]), trail_mask = std::uint8_t(node[19]);
  const int record_bits = std::uint8_t(node[20]), duplicate_bits = std::uint8_t(node[21]);
  const std::size_t width = std::uint8_t(node[23]);
  if (width == 0 || width > 8 || leaf_entries + keys * width > node_size || record_bits + duplicate_bits > 56)
    file_.damaged("a leaf of its tag directory is malformed");
  std::size_t end = node_size;
  std::string previous;
  for (std::size_t i = 0; i < keys; ++i) {
    std::uint64_t packed = 0;
    for (std::size_t b = 0; b < width; ++b)
      packed |= std::uint64_t(std::uint8_t(node[leaf_entries + i * width + b])) << (8 * b);
    const std::uint64_t header = packed & record_mask;
    const std::size_t duplicates = (packed >> record_bits) & duplicate_mask;
    const std::size_t trail = (packed >> (record_bits + duplicate_bits)) & trail_mask;
    if (duplicates + trail > key_length || duplicates > previous.size()) file_.damaged("a tag name is malformed");
    const std::size_t stored = key_length - duplicates - trail;
    if (stored > end - (leaf_entries + keys * width)) file_.damaged("a tag name is malformed");
    end -= stored;
    std::string name = previous.substr(0, duplicates) + node.substr(end, stored);
    previous = name;
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
    dbf_index_tag tag = dbf_compact_tag(file_, header);
    tag.name = name;
    tags_.push_back(tag);
  }
}
