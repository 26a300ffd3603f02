#include "dbf_index_writer.hpp"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "tk_file_name.hpp"

namespace {

void put16(std::string& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
void put32(std::string& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}
void put_text(std::string& b, std::size_t at, const std::string& text, std::size_t room) {
  if (text.size() >= room) throw std::invalid_argument("index text too long: " + text);
  std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

// An empty compact leaf that is also the root: no keys, no siblings, and
// the packing of a leaf with 24-bit record numbers.
std::string empty_compact_leaf() {
  std::string node(512, '\0');
  put16(node, 0, 3);
  put32(node, 4, 0xFFFFFFFF);
  put32(node, 8, 0xFFFFFFFF);
  put16(node, 12, 488);
  put32(node, 14, 0x00FFFFFF);
  node[18] = 0x0F;
  node[19] = 0x0F;
  node[20] = 24;
  node[21] = 4;
  node[22] = 4;
  node[23] = 4;
  return node;
}

// The 1024-byte header of one compact index (a .cdx tag, a compact .idx)
// whose root leaf follows at `root`.
std::string compact_header(const dbf_index_definition& d, std::uint32_t root, std::uint8_t extra_options) {
  std::string h(1024, '\0');
  put32(h, 0, root);
  put32(h, 4, 0xFFFFFFFF);
  put16(h, 12, static_cast<std::uint32_t>(d.key_length));
  std::uint8_t options = 0x20 | extra_options;
  if (d.kind == dbf_index_kind::unique) options |= 0x01;
  if (d.kind == dbf_index_kind::candidate) options |= 0x04;
  if (!d.filter.empty()) options |= 0x08;
  h[14] = static_cast<char>(options);
  h[15] = 1;
  put16(h, 502, d.descending ? 1 : 0);
  const auto key_pool = static_cast<std::uint32_t>(d.expression.size() + 1);
  put16(h, 504, key_pool);
  put16(h, 506, static_cast<std::uint32_t>(d.filter.size() + 1));
  put16(h, 510, key_pool);
  put_text(h, 512, d.expression, 512);
  put_text(h, 512 + key_pool, d.filter, 512 - key_pool);
  return h;
}

}  // namespace

std::string dbf_index_writer::cdx(const std::vector<dbf_index_definition>& tags) {
  constexpr std::uint32_t key_length = 10;  // tag names
  std::vector<dbf_index_definition> sorted = tags;
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  std::string file = compact_header({"", "", "", dbf_index_kind::plain, false, key_length}, 1024, 0x40);
  // compact_header wrote an expression pool for the directory: it has none.
  std::fill(file.begin() + 512, file.end(), '\0');
  put16(file, 504, 1);
  put16(file, 506, 1);
  put16(file, 510, 1);
  std::string leaf = empty_compact_leaf();
  put16(leaf, 2, static_cast<std::uint32_t>(sorted.size()));
  std::size_t end = 512;
  std::string tag_pages;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const std::string& name = sorted[i].name;
    if (name.empty() || name.size() > key_length) throw std::invalid_argument("tag name of 1 to 10 letters: " + name);
    const auto header = static_cast<std::uint32_t>(1536 + tag_pages.size());
    const auto trail = static_cast<std::uint32_t>(key_length - name.size());
    put32(leaf, 24 + i * 4, header | trail << 28);  // no shared head: the duplicate count stays 0
    end -= name.size();
    std::copy(name.begin(), name.end(), leaf.begin() + static_cast<std::ptrdiff_t>(end));
    tag_pages += compact_header(sorted[i], header + 1024, 0x40) + empty_compact_leaf();
  }
  return file + leaf + tag_pages;
}

std::string dbf_index_writer::idx(const dbf_index_definition& d, bool compact) {
  if (compact) return compact_header(d, 1024, 0) + empty_compact_leaf();
  std::string h(512, '\0');
  put32(h, 0, 512);
  put32(h, 4, 0xFFFFFFFF);
  put32(h, 8, 1024);
  put16(h, 12, static_cast<std::uint32_t>(d.key_length));
  h[14] = static_cast<char>((d.kind == dbf_index_kind::unique ? 0x01 : 0) | (d.filter.empty() ? 0 : 0x08));
  put_text(h, 16, d.expression, 220);
  put_text(h, 236, d.filter, 220);
  std::string root(512, '\0');
  put16(root, 0, 3);
  put32(root, 4, 0xFFFFFFFF);
  put32(root, 8, 0xFFFFFFFF);
  return h + root;
}

std::string dbf_index_writer::mdx(const std::vector<dbf_index_definition>& tags, const std::string& table) {
  constexpr std::size_t page = 512, first_tag_page = 4;
  std::string file(first_tag_page * page, '\0');
  file[0] = 2;
  put_text(file, 4, table, 16);
  put16(file, 20, 2);
  put16(file, 22, 1024);
  file[24] = 1;
  file[25] = 48;
  file[26] = 32;
  put16(file, 28, static_cast<std::uint32_t>(tags.size()));
  for (std::size_t i = 0; i < tags.size(); ++i) {
    const dbf_index_definition& d = tags[i];
    const auto header_page = static_cast<std::uint32_t>(first_tag_page + 2 * i);
    std::uint8_t format = d.descending ? 0x08 : 0;
    if (d.kind == dbf_index_kind::candidate) format |= 0x20;
    if (d.kind == dbf_index_kind::unique) format |= 0x40;
    const std::size_t entry = 544 + i * 32;
    put32(file, entry, header_page);
    put_text(file, entry + 4, d.name, 11);
    file[entry + 15] = static_cast<char>(format);
    file[entry + 20] = 'C';
    std::string header(2 * page, '\0');  // the header's block: two pages
    put32(header, 0, header_page + 1);
    header[8] = static_cast<char>(format);
    header[9] = 'C';
    put16(header, 12, static_cast<std::uint32_t>(d.key_length));
    header[23] = d.kind == dbf_index_kind::unique ? 1 : 0;
    put_text(header, 24, d.expression, 220);
    if (!d.filter.empty()) {
      header[245] = 1;
      put_text(header, 762, d.filter, 220);
    }
    file += header;
  }
  return file;
}

std::string dbf_index_writer::ndx(const dbf_index_definition& d) {
  std::string h(512, '\0');
  put32(h, 0, 1);
  put32(h, 4, 2);
  put16(h, 12, static_cast<std::uint32_t>(d.key_length));
  const std::uint32_t group = (static_cast<std::uint32_t>(d.key_length) + 8 + 3) / 4 * 4;
  put16(h, 14, 504 / group);
  put16(h, 18, group);
  h[23] = d.kind == dbf_index_kind::unique ? 1 : 0;
  put_text(h, 24, d.expression, 488);
  return h + std::string(512, '\0');
}

std::string dbf_index_writer::ntx(const dbf_index_definition& d) {
  std::string h(1024, '\0');
  put16(h, 0, d.filter.empty() ? 6 : 7);
  put16(h, 2, 1);
  put32(h, 4, 1024);
  put16(h, 12, static_cast<std::uint32_t>(d.key_length + 8));
  put16(h, 14, static_cast<std::uint32_t>(d.key_length));
  put16(h, 18, 20);
  put16(h, 20, 10);
  put_text(h, 22, d.expression, 256);
  h[278] = d.kind == dbf_index_kind::unique ? 1 : 0;
  h[280] = d.descending ? 1 : 0;
  put_text(h, 282, d.filter, 256);
  return h + std::string(1024, '\0');
}

std::filesystem::path dbf_index_writer::write(const std::filesystem::path& folder, const std::string& name,
                                              const std::string& bytes) {
  const std::filesystem::path path = folder / tk_native_path(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + tk_path_utf8(path));
  return path;
}
