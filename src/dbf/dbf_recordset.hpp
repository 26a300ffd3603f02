// One DBF table file seen as a recordset: header and field descriptors are
// checked and read when it opens, records are read at the cursor.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dbf_code_page_detector.hpp"
#include "dbf_column.hpp"
#include "dbf_memo_file.hpp"
#include "dbf_record.hpp"
#include "tk_huge_file.hpp"
#include "tk_reporter.hpp"
#include "udb_source_table.hpp"

class dbf_recordset : public udb_source_table {
 public:
  static constexpr const char* encrypted = "table is encrypted";

  // Whether opening the table looks up the index files that describe it
  // (the old mode bits 0x60 skipped them).
  enum class index_files { read, skip };

  // Opens the table file and reads its header; `encoding` is the user's choice, a language-driver byte (0-255) or a code page number
  // (256 and up); 0 takes the code page of a .cpg file beside the table,
  // else the one of the header's driver byte; dbf_code_pages::auto_setting
  // does the same, but reads a table that names no code page in the one
  // its text surely looks like.
  // A damaged table raises dbf_exception "File does not comply with DBF
  // format" (level 0); a missing memo file is reported and the table is read
  // without memos.
  dbf_recordset(const std::string& file_name, index_files indexes, int encoding);
  ~dbf_recordset() override;

  // Where the table's warnings go, from now on (before: the trace only).
  void report_to(tk_reporter& reporter);
  tk_reporter& reporter() const { return *reporter_; }

  void append_record(const udb_record& record) override;
  udb_record& get_item() override;
  bool is_eof() override { return cursor_ >= record_count_; }
  void next() override { ++cursor_; }
  void prev() override {
    if (cursor_ > 0) --cursor_;
  }
  void first() override { cursor_ = 0; }

  // The code page of the table's text (after the user's override).
  int get_codepage() const;
  // The .cpg file that chose the code page; empty when the user or the
  // driver byte chose it.
  const std::string& code_page_file() const { return code_page_file_; }
  // Why the table's text may not read as its writer meant (a .cpg file
  // naming no code page known here); empty when nothing is amiss. The run
  // makes it a warning of the table.
  const std::string& code_page_warning() const { return code_page_warning_; }
  // For a table that names no code page (driver byte 0, no .cpg, no
  // encoding from the user): the page its text looks like; no guess
  // (code page 0) for other tables and for text of ASCII only.
  const dbf_code_page_guess& text_code_page() const { return text_code_page_; }
  // True when the encoding setting "auto" had the table read in the page
  // its text looks like.
  bool code_page_guessed() const { return code_page_guessed_; }
  std::uint8_t version() const { return header_[0]; }
  // The language-driver byte in use (the user's choice when one was given).
  std::uint8_t driver_byte() const { return header_[29]; }
  // The header's flags byte: 0x01 a structural (FoxPro) or production
  // (dBASE) index file, 0x02 a memo file, 0x04 a database container.
  std::uint8_t table_flags() const { return header_[28]; }
  // The path of the Visual FoxPro database container the table belongs to,
  // as its header stores it after the field descriptors; empty when none.
  std::string container_link() const;
  // A dBASE 7 table: 48-byte field descriptors, and field properties after them.
  bool is_level7() const { return level7_table(); }
  // The bytes between the descriptors' terminator and the first record,
  // where a dBASE 7 table keeps its field properties; empty for others.
  std::string field_properties_block() const;
  // The value of column `i` held in `bytes`, as a record holds it (a value
  // the header keeps); nothing, with `why` set, when the bytes cannot be it.
  std::optional<ole_variant> value_of(std::size_t i, std::string_view bytes, std::string& why) const;
  // Gives column `i` another name (a container's long field name).
  void rename_column(std::size_t i, const std::u16string& name);
  // The records the table holds: those the header counts and the whole
  // records after them (warned of with the first record read).
  std::uint32_t record_count() const override { return record_count_; }
  // The date of the last update in the header, its three bytes YY MM DD as one number.
  std::uint32_t header_date() const { return std::uint32_t(header_[1]) << 16 | header_[2] << 8 | header_[3]; }
  dbf_memo_kind memo_type() const { return memo_type_; }
  bool has_memo_file() const { return memo_file_ != nullptr; }
  // True when memo columns read as empty because the memo file is missing.
  bool memo_missing() const { return memo_wanted_ && !memo_file_; }
  bool incomplete() const override { return memo_missing(); }
  bool has_memo_columns() const;
  const std::string& file_name() const override { return file_name_; }
  udb_journal_entry identity() const override;
  std::unique_ptr<udb_reject_file> open_reject_file(std::filesystem::path path, bool keep_earlier) const override;
  // Bytes before the first record: header, field descriptors and what follows them.
  std::uint16_t header_size() const { return header_length(); }
  // The memo file in use; empty when there is none.
  std::string memo_file_name() const { return memo_file_ ? memo_file_->file_name() : std::string(); }
  // The bytes of the record at the cursor, as the file holds them.
  std::string_view current_bytes();
  // The bytes of the record numbered `number` (from 1), read from the file
  // without moving the cursor or touching the records read ahead.
  std::string bytes_of(std::uint64_t number) const;
  // The number (from 1) of the record at the cursor.
  std::uint64_t current_number() const override { return std::uint64_t(cursor_) + 1; }
  // Moves the cursor to the record numbered `number` (from 1).
  void go_to(std::uint64_t number) override { cursor_ = static_cast<std::uint32_t>(number - 1); }

 private:
  void read_header();
  void choose_code_page(int encoding);
  bool choose_by_cpg_file(std::string& unknown);
  static std::optional<int> code_page_of_cpg(const std::string& text);
  void guess_code_page(bool take_it);
  void sample_text(dbf_code_page_detector& detector);
  static std::string printable_cpg(const std::string& text);
  void init_schema();
  void read_descriptors(bool level7);
  void drop_false_extended_lengths();
  bool fields_fit() const;
  void lay_out_fields();
  void fd7_post_process(const dbf_field_descriptor& descriptor, int offset);
  void use_field_flags();
  void assign_null_bits();
  void check_header_flags();
  std::uint32_t records_beyond_count() const;
  bool level7_table() const { return header_[0] == 0x04 || header_[0] == 0x8C; }
  dbf_memo_kind memo_type_from_file(std::string& memo) const;
  void start_auto_increment();
  void check_record_layout() const;
  dbf_memo_kind get_memo_type() const;
  void init_memo_file(dbf_memo_kind memo_type);
  void open_memo_file(dbf_memo_kind memo_type, std::string memo);
  void init_indexes();

  std::uint16_t header_length() const { return static_cast<std::uint16_t>(header_[8] | header_[9] << 8); }
  std::uint16_t record_length() const {
    return static_cast<std::uint16_t>(header_[10] | header_[11] << 8);
  }

  std::string file_name_;
  std::unique_ptr<tk_huge_file> file_;
  std::array<std::uint8_t, 32> header_{};
  std::uint32_t header_count_ = 0;
  std::uint32_t record_count_ = 0;
  bool warn_of_uncounted_records_ = true;
  std::uint32_t cursor_ = 0;
  dbf_memo_kind memo_type_ = dbf_memo_kind::none;
  bool memo_wanted_ = false;  // the table has memo columns
  bool incomplete_transaction_ = false;  // warned of with the first record read
  std::unique_ptr<dbf_memo_file> memo_file_;
  dbf_null_flags null_flags_;
  std::vector<dbf_field_descriptor> descriptors_;
  std::uint64_t descriptors_end_ = 0;  // where the descriptors' terminator is (or would be)
  std::vector<dbf_column> columns_;
  // Records are read a block at a time; the block holds records
  // [block_first_, block_first_ + block_count_).
  void load_block();
  std::vector<char> buffer_;
  std::uint32_t block_first_ = 0;
  std::uint32_t block_count_ = 0;
  std::unique_ptr<dbf_record> current_;
  const tk_code_page* page_ = nullptr;  // the table's, settled when it opens
  int code_page_ = 0;
  std::string code_page_file_;
  std::string code_page_warning_;
  dbf_code_page_guess text_code_page_;
  bool code_page_guessed_ = false;
  tk_log_reporter trace_only_;
  tk_reporter* reporter_ = &trace_only_;
  dbf_column_warnings value_warnings_{trace_only_};
};

// The file beside `table_file` with the extension `extension` (no dot),
// found whatever the case of its name; empty when there is none.
std::string dbf_sibling_file(const std::string& table_file, const std::string& extension);
