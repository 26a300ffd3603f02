// Writes DBF tables, with their memo files, for tests, fuzz corpora,
// benchmarks and the demo folder:
//
//   dbf_writer table(0x30);                        // version byte
//   table.table_flags(0x02).language_driver(0x03);
//   table.field(u"NAME", 'C', 20).field(u"PRICE", 'N', 8, 2).field(u"NOTES", 'M');
//   table.record({dbf_cell::text(u"Tea"), dbf_cell::number(3.5), dbf_cell::text(u"green")});
//   table.deleted_record({...});
//   table.write(folder, "GOODS.DBF");              // and GOODS.FPT
//
// Every version byte is accepted. The memo file follows the version byte
// (and, for Visual FoxPro, the table flags) unless memo_format says
// otherwise: 0x30-0x32 with flag 0x02 an FPT (a DCT with flag 0x04 too) with
// binary block numbers; 0xF5 an FPT, 0x7B, 0x8B, 0x8C, 0xCB, 0xEB a dBASE IV
// DBT and 0x83 a dBASE III DBT, with decimal block numbers; 0xE5 an SMT;
// every other version none. Versions 0x04 and 0x8C get dBASE 7 descriptors
// (48 bytes after 36 extra header bytes); Visual FoxPro tables get field
// offsets in their descriptors and the 263-byte backlink after them.
//
// Text is encoded with the code page of the language driver byte (or the one
// given with code_page). Field lengths left at usual_length take the common
// one for the letter. The header's update date is fixed (2024-01-15 unless
// set), so the same calls always give the same bytes. Mistakes in the calls
// (a value that does not fit its field, a name too long, a record of the
// wrong width) raise std::invalid_argument.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dbf_cell.hpp"
#include "dbf_field_definition.hpp"
#include "dbf_field_property.hpp"
#include "dbf_memo_writer.hpp"

// Damage applied after the table is built, to make broken files on purpose.
// Per-memo damage is in the cells: dbf_cell::memo_block (a block past the
// end) and dbf_cell::with_stored_length (a length past the end).
struct dbf_damage {
  std::optional<std::uint64_t> table_size{};   // cut (or zero-extend) the table file
  std::optional<std::int32_t> record_count{};  // header values written instead of the true ones
  std::optional<std::uint16_t> header_length{};
  std::optional<std::uint16_t> record_length{};
  bool no_descriptor_terminator = false;       // leave out the 0x0D after the descriptors
  bool drop_memo_file = false;                 // the memo file is not written
  dbf_memo_damage memo{};
};

// A built table: the bytes of its two files.
struct dbf_image {
  std::string table;
  std::string memo;            // empty when has_memo() is false
  std::string memo_extension;  // "fpt", "dct", "dbt" or "smt"; empty without a memo file
  bool has_memo() const { return !memo_extension.empty(); }
};

class dbf_writer {
 public:
  static constexpr int usual_length = -1;

  explicit dbf_writer(std::uint8_t version);

  dbf_writer& field(std::u16string name, char letter, int length = usual_length, int decimals = 0,
                    std::uint8_t flags = 0);
  // One cell per field, in field order.
  dbf_writer& record(std::vector<dbf_cell> cells);
  dbf_writer& deleted_record(std::vector<dbf_cell> cells);

  dbf_writer& table_flags(std::uint8_t flags);
  dbf_writer& language_driver(std::uint8_t driver);
  dbf_writer& code_page(int code_page);
  dbf_writer& update_date(int year, int month, int day);
  dbf_writer& memo_format(dbf_memo_format format);
  // FPT, dBASE IV and SMT block size (default 64 for FPT, 512 for DBT, 32 for SMT).
  dbf_writer& block_size(std::uint32_t size);
  // The name of the memo file when write() should not derive it.
  dbf_writer& memo_file_name(std::string name);
  // The 0x1A byte after the last record (on by default).
  dbf_writer& end_of_file_marker(bool on);
  dbf_writer& damage(const dbf_damage& damage);
  // Visual FoxPro: the database container the table belongs to, written in
  // the backlink after the field descriptors.
  dbf_writer& container(std::string path);
  // dBASE 7 (versions 0x04, 0x8C): a standard field property, written in
  // the properties block after the field descriptors.
  dbf_writer& field_property(dbf_field_property property);
  // Bytes written over the built table at `offset`: header flags and
  // descriptor bytes the other calls leave zero.
  dbf_writer& patch(std::size_t offset, std::string bytes);

  dbf_image build() const;
  // Writes file_name into folder, and the memo file beside it: the table's
  // name with the memo extension, upper case when the table's extension has
  // an upper-case letter. Returns the table's path.
  std::filesystem::path write(const std::filesystem::path& folder, const std::string& file_name) const;

  // The memo layout this table gets, after the version byte and flags.
  dbf_memo_format resolved_memo_format() const;
  // The Windows code page of a language driver byte (0 when not listed).
  static int code_page_of(std::uint8_t driver);

 private:
  struct row {
    bool deleted;
    std::vector<dbf_cell> cells;
  };

  bool is_visual_foxpro() const;
  bool is_dbase7() const;
  std::string memo_extension() const;
  std::vector<dbf_field_definition> resolved_fields() const;
  int usual_length_of(char letter) const;
  std::string header(const std::vector<dbf_field_definition>& fields, int record_length) const;
  std::string descriptors(const std::vector<dbf_field_definition>& fields) const;
  std::string descriptor(const dbf_field_definition& field, int offset) const;
  std::string records(const std::vector<dbf_field_definition>& fields, dbf_memo_writer* memo) const;

  std::uint8_t version_;
  std::uint8_t table_flags_ = 0;
  std::uint8_t language_driver_ = 0;
  std::optional<int> code_page_;
  int year_ = 2024;
  int month_ = 1;
  int day_ = 15;
  dbf_memo_format memo_format_ = dbf_memo_format::automatic;
  std::optional<std::uint32_t> block_size_;
  std::string memo_file_name_;
  bool end_of_file_marker_ = true;
  dbf_damage damage_;
  std::string container_;
  std::vector<dbf_field_property> properties_;
  std::vector<std::pair<std::size_t, std::string>> patches_;
  std::vector<dbf_field_definition> fields_;
  std::vector<row> rows_;
};
