// The memo file of a table: memo fields keep a block number in the record,
// the memo's bytes live here. Memo files are only read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tk_huge_file.hpp"

// What the record says about the memo besides its block.
struct dbf_memo_hint {
  std::uint32_t length = 0;  // bytes, when the record keeps them (SMT); 0: unknown
  bool binary = false;       // binary data keeps its zero bytes
};

// The kind of memo file a table keeps; the numbers are the ones the trace
// has always shown.
enum class dbf_memo_kind {
  none = 0,
  dbase3 = 1,         // .dbt of dBASE III and FoxBASE
  dbase4 = 3,         // .dbt of dBASE IV and later
  foxpro = 4,         // .fpt of FoxPro 2: block numbers as text, binary in 4-byte fields
  visual_foxpro = 8,  // .fpt of Visual FoxPro: 4-byte binary block numbers
  container = 12,     // .dct of a Visual FoxPro database container, as visual_foxpro
  smt = 16,           // .smt of Clipper's SIx driver
};

enum class dbf_memo_status {
  ok,
  out_of_range,  // the block lies past the end of the file
  invalid_size,  // the stored length runs past the end of the file
  too_long,      // longer than max_memo_bytes
};

class dbf_memo_file : public tk_huge_file {
 public:
  // No true memo is longer; a longer one is damage, and is never allocated.
  static constexpr std::uint64_t max_memo_bytes = std::uint64_t(256) << 20;

  explicit dbf_memo_file(const std::string& file_name);

  // The block number held by a memo field's bytes; 0 means no memo.
  virtual std::uint32_t get_block_number(std::string_view field) const;
  // The memo's length kept in the field; 0 when the format keeps none there.
  virtual std::uint32_t get_stored_length(std::string_view) const { return 0; }
  // The memo at `block`: text up to its terminator or first zero byte,
  // binary data whole. Damaged places leave `out` empty and say why.
  virtual dbf_memo_status read_memo(std::uint32_t block, std::string& out,
                                    const dbf_memo_hint& hint = {}) = 0;

  // Memos are mostly read in file order, a few small reads each: reads of
  // up to a window are answered from the window of the file read last, a
  // system call per window instead of per read.
  std::size_t read_some(std::uint64_t offset, void* buffer, std::size_t count) override;

 protected:
  // The field's bytes read as a decimal number after optional spaces; 0
  // when they do not form one.
  static std::uint32_t text_block_number(std::string_view field);
  // True when the 8-byte header of a memo at `position` lies in the file.
  bool has_header_at(std::uint64_t position) const;
  // Reads from `position` up to (not including) the first `terminator` byte
  // or the end of the file, in blocks; too_long (and `out` empty) when that
  // is more than max_memo_bytes.
  dbf_memo_status read_until(std::uint64_t position, char terminator, std::string& out);
  // Reads `length` bytes at `position`, zero bytes and all: the record
  // decides what text keeps of them.
  dbf_memo_status read_exactly(std::uint64_t position, std::uint64_t length, std::string& out);

 private:
  static constexpr std::size_t window_bytes = 64 * 1024;
  std::vector<char> window_;  // the file's bytes from window_start_
  std::uint64_t window_start_ = 0;
};
