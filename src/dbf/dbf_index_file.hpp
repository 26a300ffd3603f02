// Read access to an index file's header pages: whole ranges inside the file
// or the error that calls it damaged. Only definitions are read from index
// files, never their keys.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "dbf_index_tag.hpp"

class dbf_index_file {
 public:
  // Bits of the options byte (offset 14) of a FoxPro index header.
  static constexpr std::uint8_t option_unique = 0x01;
  // Not in the published layout: every tag of the corpus that a database
  // container would list as a primary or candidate key has this bit, and no
  // other tag has it.
  static constexpr std::uint8_t option_candidate = 0x04;
  static constexpr std::uint8_t option_filter = 0x08;  // a FOR expression follows the key's
  static constexpr std::uint8_t option_compact = 0x20;
  static constexpr std::uint8_t option_tag_directory = 0x40;  // the header lists a .cdx file's tags

  // Opens the file; one that cannot be opened raises tk_exception.
  explicit dbf_index_file(const std::string& path);

  // `count` bytes at `offset`; a range past the end raises tk_exception
  // "damaged".
  std::string read(std::uint64_t offset, std::size_t count);
  std::uint64_t size() const { return size_; }
  // The file's name without folder and its base name (no extension).
  const std::string& file_name() const { return file_name_; }
  std::string base_name() const;

  // Raises the error that calls this file damaged, saying why.
  [[noreturn]] void damaged(const std::string& why) const;

  // The text at `offset` of `bytes`, up to its first NUL (at most `limit`
  // bytes), trailing blanks removed.
  static std::string text_at(const std::string& bytes, std::size_t offset, std::size_t limit);
  static std::uint16_t le16(const std::string& bytes, std::size_t offset);
  static std::uint32_t le32(const std::string& bytes, std::size_t offset);
  static std::uint32_t be32(const std::string& bytes, std::size_t offset);

 private:
  std::ifstream in_;
  std::string file_name_;
  std::uint64_t size_ = 0;
};

// The definition in a Visual FoxPro compact index header (a .cdx tag's
// header or a compact .idx file's): 1024 bytes at `header`.
dbf_index_tag dbf_compact_tag(dbf_index_file& file, std::uint64_t header);
