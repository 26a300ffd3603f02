// Builds the memo file of a table written by dbf_writer, memo by memo, in
// one of the four layouts the DBF source reads:
//   fpt     FoxPro / Visual FoxPro (also DCT): 512-byte header with the next
//           free block and the block size big-endian; each memo is a
//           big-endian type (1 text, 0 picture) and length, then the data.
//   dbase4  dBASE IV DBT: header block with the block size little-endian at
//           20; each memo is FF FF 08 00, the total length little-endian
//           (counting those 8 bytes), then the data.
//   dbase3  dBASE III DBT: 512-byte blocks, the next free block at 0; each
//           memo is its data ended by 0x1A 0x1A.
//   smt     512-byte header with the block size little-endian at 4; each memo
//           is bare data (its length is kept in the record).
// Memos start on block boundaries and are padded with zeros to the next one;
// the first memo follows the header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class dbf_memo_format { automatic, none, fpt, dbase4, dbase3, smt };

// Header values written instead of the true ones, and a cut, to damage the
// memo file.
struct dbf_memo_damage {
  std::optional<std::uint32_t> block_size_in_header{};  // 0 gives "zero block size"
  std::optional<std::uint32_t> next_block_in_header{};  // 0 breaks a dBASE III file
  std::optional<std::uint64_t> file_size{};          // cut (or zero-extend) the file
};

class dbf_memo_writer {
 public:
  // block_size is ignored for dbase3 (always 512).
  dbf_memo_writer(dbf_memo_format format, std::uint32_t block_size);

  // Appends one memo and returns its block number. stored_length replaces
  // the length in the memo's header (FPT, dBASE IV).
  std::uint32_t store(std::string_view data, bool is_text, std::optional<std::uint32_t> stored_length);

  // The whole file.
  std::string image(const dbf_memo_damage& damage = {}) const;

  dbf_memo_format format() const { return format_; }
  std::uint32_t block_size() const { return block_size_; }
  // The block number of the first memo.
  std::uint32_t first_block() const;

 private:
  std::uint32_t header_size() const;
  void pad_to_block();

  dbf_memo_format format_;
  std::uint32_t block_size_;
  std::string body_;  // the whole file after the header area
};
