#include "dbf_index_file.hpp"

#include <filesystem>

#include "tk_exception.hpp"
#include "tk_file_name.hpp"
#include "tk_format.hpp"

dbf_index_file::dbf_index_file(const std::string& path)
    : in_(tk_native_path(path), std::ios::binary), file_name_(tk_path_utf8(tk_native_path(path).filename())) {
  if (!in_) throw tk_exception(tk_format("cannot open the index file %s", file_name_));
  in_.seekg(0, std::ios::end);
  size_ = static_cast<std::uint64_t>(in_.tellg());
}

std::string dbf_index_file::base_name() const { return tk_path_utf8(tk_native_path(file_name_).stem()); }

void dbf_index_file::damaged(const std::string& why) const {
  throw tk_exception(tk_format("the index file %s is damaged or of an unknown kind (%s)", file_name_, why));
}

std::string dbf_index_file::read(std::uint64_t offset, std::size_t count) {
  if (offset > size_ || count > size_ - offset) damaged("a page lies past its end");
  std::string bytes(count, '\0');
  in_.seekg(static_cast<std::streamoff>(offset));
  in_.read(bytes.data(), static_cast<std::streamsize>(count));
  if (!in_) damaged("it cannot be read");
  return bytes;
}

std::string dbf_index_file::text_at(const std::string& bytes, std::size_t offset, std::size_t limit) {
  if (offset >= bytes.size()) return {};
  std::size_t end = bytes.find('\0', offset);
  if (end == std::string::npos || end - offset > limit) end = std::min(bytes.size(), offset + limit);
  std::string text = bytes.substr(offset, end - offset);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

std::uint16_t dbf_index_file::le16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

std::uint32_t dbf_index_file::le32(const std::string& b, std::size_t at) {
  return std::uint32_t(le16(b, at)) | std::uint32_t(le16(b, at + 2)) << 16;
}

std::uint32_t dbf_index_file::be32(const std::string& b, std::size_t at) {
  return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
         std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint8_t(b[at + 3]);
}

namespace {
constexpr std::size_t pool = 512;  // the expressions follow the first half of the header
}  // namespace

dbf_index_tag dbf_compact_tag(dbf_index_file& file, std::uint64_t header) {
  const std::string bytes = file.read(header, 1024);
  const auto options = std::uint8_t(bytes[14]);
  if (!(options & dbf_index_file::option_compact)) file.damaged("a tag header is not of the compact kind");
  const std::uint16_t key_pool = dbf_index_file::le16(bytes, 510);
  if (key_pool == 0 || key_pool > pool) file.damaged("a key expression has no valid length");
  dbf_index_tag tag;
  tag.file = file.file_name();
  tag.expression = dbf_index_file::text_at(bytes, pool, key_pool);
  if (tag.expression.empty()) file.damaged("a key expression is empty");
  if (options & dbf_index_file::option_filter) tag.filter = dbf_index_file::text_at(bytes, pool + key_pool, pool - key_pool);
  tag.unique = options & dbf_index_file::option_unique;
  tag.candidate = options & dbf_index_file::option_candidate;
  tag.descending = dbf_index_file::le16(bytes, 502) == 1;
  return tag;
}
