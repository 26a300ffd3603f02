#include "dbf_recordset.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "dbf_bad_file.hpp"
#include "dbf_code_pages.hpp"
#include "dbf_exception.hpp"
#include "dbf_index_files.hpp"
#include "dbf_field.hpp"
#include "dbf_no_memo_exception.hpp"
#include "dbt_memo_file.hpp"
#include "fpt_memo_file.hpp"
#include "old_memo_file.hpp"
#include "smt_memo_file.hpp"
#include "tk_byte_order.hpp"
#include "tk_code_page.hpp"
#include "tk_file_exist.hpp"
#include "tk_file_name.hpp"
#include "tk_format.hpp"
#include "tk_folder.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "tk_wstring.hpp"
#include "tk_mail_assertion.hpp"

namespace {

[[noreturn]] void reject(const char* why) {
  tk_log(1, "%s", why);
  throw dbf_exception(dbf_exception::bad_format);
}

// A file shorter than its header says: the user learns what is missing and
// how much of the table is there, to judge whether a copy is worth finding.
[[noreturn]] void reject_cut_file(std::uint64_t size, std::uint16_t header_length, std::uint16_t record_length,
                                  std::uint32_t count) {
  tk_log(1, "Invalid file size");
  const std::string what = dbf_exception::bad_format;
  if (size < header_length)
    throw dbf_exception(what + ": the file ends inside its header, after " + std::to_string(size) + " of its " +
                        std::to_string(header_length) + " bytes");
  const std::uint64_t whole = (size - header_length) / record_length;
  const std::uint64_t needed = std::uint64_t(record_length) * count + header_length;
  throw dbf_exception(what + ": its header counts " + std::to_string(count) + " records, but the file ends after " +
                      std::to_string(whole) + " whole records (" + std::to_string(size) + " bytes where " +
                      std::to_string(needed) + " are needed)");
}

// Bytes a letter with a binary layout reads from its field.
int binary_width(const dbf_field_descriptor& descriptor) {
  switch (descriptor.type()) {
    case 'I': case '+': return 4;
    case 'O': case '@': return 8;
    case 'Y': case 'T': case 'B': return 8;
    case '=': case '^': return descriptor.level7() ? 1 : 8;  // Harbour's
    default: return 1;
  }
}

// At most `limit` bytes from the start of a file; nothing when it cannot be read.
std::string first_bytes_of(const std::string& file_name, std::size_t limit) {
  std::ifstream in(tk_native_path(file_name), std::ios::binary);
  std::string bytes(limit, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(limit));
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

std::u16string table_name_of(const std::string& file_name) {
  return tk_utf8_to_utf16_lenient(tk_file_name(file_name).name);
}

bool is_visual_foxpro(std::uint8_t version) { return version >= 0x30 && version <= 0x32; }

const char* memo_extension_of(dbf_memo_kind kind) {
  switch (kind) {
    case dbf_memo_kind::container: return "dct";
    case dbf_memo_kind::smt: return "smt";
    case dbf_memo_kind::dbase3:
    case dbf_memo_kind::dbase4: return "dbt";
    default: return "fpt";
  }
}

}  // namespace

std::string dbf_sibling_file(const std::string& table_file, const std::string& extension) {
  tk_file_name parts(table_file);
  auto found = tk_find_ignoring_case(parts.folder_path(), parts.name + "." + extension);
  return found ? *found : std::string();
}

dbf_recordset::dbf_recordset(const std::string& file_name, index_files indexes, int encoding)
    : udb_source_table(table_name_of(file_name)), file_name_(file_name) {
  tk_log(2, "dbf_recordset::ctor(%s, cp=%d)", file_name, encoding);
  file_ = std::make_unique<tk_huge_file>(file_name);
  read_header();
  check_header_flags();
  init_schema();
  init_memo_file(get_memo_type());
  header_count_ = tk_read_le32(&header_[4]);
  record_count_ = header_count_ + records_beyond_count();
  tk_log(1, "DBF file has codepage: %d", header_[29]);
  choose_code_page(encoding);
  // Column names are in the table's code page, like its text.
  const tk_code_page& page = tk_code_page::get(code_page_);
  page_ = &page;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    columns_[i].name = page.decode(columns_[i].descriptor.name_bytes());
    schema[i].name = columns_[i].name;
  }
  if (indexes == index_files::read) init_indexes();
  start_auto_increment();
}

void dbf_recordset::report_to(tk_reporter& reporter) {
  reporter_ = &reporter;
  value_warnings_.report_to(reporter);
}

dbf_recordset::~dbf_recordset() {
  tk_log(2, "dbf_recordset::dtor");
  // The table is done: the counts of the value warnings not shown follow
  // the ones shown (reporting never raises).
  value_warnings_.close();
}

void dbf_recordset::read_header() {
  if (file_->get_size() < 32) reject("File is too small");
  file_->read(0, header_.data(), header_.size());
  auto count = static_cast<std::int32_t>(tk_read_le32(&header_[4]));
  if (record_length() < 2 || count < 0 || header_length() < 32) reject("Invalid DBF header");
  std::uint64_t needed = std::uint64_t(record_length()) * std::uint64_t(count) + header_length();
  if (file_->get_size() < needed)
    reject_cut_file(file_->get_size(), header_length(), record_length(), static_cast<std::uint32_t>(count));
}

// Writers that append records without updating the header's count leave
// whole records after the counted ones: they are the table's as much as the
// others. A record past the count must be whole and start with a deletion
// flag (blank or '*'); the end-of-file byte, zeros or a cut record end them.
std::uint32_t dbf_recordset::records_beyond_count() const {
  const std::uint64_t size = file_->get_size();
  std::uint64_t at = header_length() + std::uint64_t(record_length()) * header_count_;
  std::uint32_t extra = 0;
  for (; at + record_length() <= size && extra < UINT32_MAX - header_count_; at += record_length(), ++extra) {
    const std::uint8_t flag = file_->read_byte(at);
    if (flag != ' ' && flag != '*') break;
  }
  if (extra != 0) tk_log(3, "%I64u records after the %I64u the header counts", std::uint64_t(extra), std::uint64_t(header_count_));
  return extra;
}

// dBASE keeps an incomplete-transaction flag (byte 14) and an encryption
// flag (byte 15); Visual FoxPro leaves these bytes reserved, and dBASE II has
// another header altogether.
void dbf_recordset::check_header_flags() {
  if (header_[0] == 0x02 || is_visual_foxpro(header_[0])) return;
  if (header_[15]) throw dbf_exception(encrypted);
  incomplete_transaction_ = header_[14] != 0;
}

void dbf_recordset::init_schema() {
  tk_log(2, "dbf_recordset::init_schema");
  tk_log(1, "rec_size=%d", record_length());
  bool level7 = header_[0] == 0x04 || header_[0] == 0x8C;
  tk_log(2, "%s", level7 ? "Processing dBASE Level 7 format" : "Default processing");
  read_descriptors(level7);
  drop_false_extended_lengths();
  use_field_flags();
  lay_out_fields();
  check_record_layout();
}

void dbf_recordset::read_descriptors(bool level7) {
  const std::uint32_t width = level7 ? 48 : 32;
  tk_log(1, "DATA OFFSET=%d, sizeof(dbf_header)=%d, sizeof(dbf_field_descriptor)=%d",
         header_length(), 32, width);
  std::uint32_t count = (header_length() - 32u) / width;
  tk_log(1, "Table has %d fields", count);
  std::uint64_t offset = level7 ? 68 : 32;
  std::uint8_t bytes[48];
  for (std::uint32_t i = 0; i < count; ++i, offset += width) {
    if (file_->read_byte(offset) == 0x0D) break;
    if (level7) tk_log(1, "Reading FD7 at %d", offset);
    file_->read(offset, bytes, width);
    descriptors_.push_back(level7 ? dbf_field_descriptor::from_level7(bytes)
                                  : dbf_field_descriptor::from_default(bytes));
  }
  descriptors_end_ = offset;
}

std::string dbf_recordset::container_link() const {
  constexpr std::uint64_t backlink = 263;
  if (version() < 0x30 || version() > 0x32 || descriptors_end_ + 1 + backlink > header_length()) return {};
  char bytes[backlink];
  file_->read(descriptors_end_ + 1, bytes, backlink);
  std::string link(bytes, std::find(bytes, bytes + backlink, '\0'));
  while (!link.empty() && link.back() == ' ') link.pop_back();
  return link;
}

std::string dbf_recordset::field_properties_block() const {
  if (!level7_table() || descriptors_end_ + 1 >= header_length()) return {};
  std::string bytes(header_length() - descriptors_end_ - 1, '\0');
  file_->read(descriptors_end_ + 1, bytes.data(), bytes.size());
  return bytes;
}

std::optional<ole_variant> dbf_recordset::value_of(std::size_t i, std::string_view bytes, std::string& why) const {
  const dbf_column& column = columns_.at(i);
  if (column.memo) {
    why = "a memo field keeps its values in the memo file";
    return std::nullopt;
  }
  if (bytes.size() != static_cast<std::size_t>(column.slot)) {
    why = tk_format("%d bytes for a field of %d", bytes.size(), column.slot);
    return std::nullopt;
  }
  std::string note;
  ole_variant value = dbf_field::get_variant(*page_, bytes, column.descriptor, &note);
  if (!note.empty()) {
    why = note;
    return std::nullopt;
  }
  return value;
}

void dbf_recordset::rename_column(std::size_t i, const std::u16string& column) {
  columns_.at(i).name = column;
  schema[i].name = column;
  current_.reset();  // its fields carry the old name
}

// Visual FoxPro field flags count in Visual FoxPro tables, and in tables of
// other versions that carry its null-flags column (their writer was one).
void dbf_recordset::use_field_flags() {
  bool flags = !level7_table() && (is_visual_foxpro(header_[0]) ||
                                   std::any_of(descriptors_.begin(), descriptors_.end(),
                                               [](const dbf_field_descriptor& d) { return d.is_null_flags(); }));
  if (!flags) return;
  for (dbf_field_descriptor& d : descriptors_) d.use_field_flags();
}

// The null-flags column is read, not converted: it only decides the values
// of the other columns.
void dbf_recordset::lay_out_fields() {
  int offset = 1;
  for (const dbf_field_descriptor& descriptor : descriptors_) {
    if (descriptor.is_null_flags())
      null_flags_ = {offset, descriptor.slot_size()};
    else
      fd7_post_process(descriptor, offset);
    offset += descriptor.slot_size();
  }
  assign_null_bits();
}

// Bits are given out in field order, least significant first: a varying
// bit to each V and Q field, then a null bit to each nullable field.
void dbf_recordset::assign_null_bits() {
  if (null_flags_.size <= 0) return;
  int bit = 0;
  for (dbf_column& column : columns_) {
    if (column.descriptor.is_varying()) column.varying_bit = bit++;
    if (column.descriptor.nullable()) column.null_bit = bit++;
  }
  if (bit > null_flags_.size * 8)
    tk_log(2, "The null flags (%d bytes) are too short for %d bits: the missing bits read as clear",
           null_flags_.size, bit);
}

bool dbf_recordset::fields_fit() const {
  int end = 1;
  for (const dbf_field_descriptor& d : descriptors_) end += std::max(0, d.slot_size());
  return end <= record_length();
}

// A table whose character fields only fit their record without the high
// byte of an extended length is read that way: writers that fill the decimal
// count of ordinary character fields exist.
void dbf_recordset::drop_false_extended_lengths() {
  if (fields_fit()) return;
  std::vector<dbf_field_descriptor> narrowed = descriptors_;
  for (dbf_field_descriptor& d : narrowed)
    if (d.type() == 'C' && d.decimals() != 0) d.drop_extended_length();
  std::swap(narrowed, descriptors_);
  if (fields_fit())
    tk_log(1, "Character fields read with their length byte only");
  else
    std::swap(narrowed, descriptors_);
}

void dbf_recordset::fd7_post_process(const dbf_field_descriptor& descriptor, int offset) {
  dbf_column column;
  column.descriptor = descriptor;
  column.slot = descriptor.slot_size();
  column.offset = offset;
  column.memo = descriptor.is_memo();
  columns_.push_back(column);
  // The name is decoded once the code page is settled.
  schema.add(std::make_unique<t_ftd>(static_cast<std::uint32_t>(std::max(0, descriptor.field_size())),
                                     std::u16string(), descriptor.vartype(), false, descriptor.auto_increment(),
                                     ole_variant(), descriptor.reserved()));
  tk_log(1, "Got field: %s, type=%c, size=%d", descriptor.name_bytes(), descriptor.type(),
         descriptor.field_size());
}

// Every field must lie inside the record, or reading it would run past the
// record into the next one (or past the buffer).
void dbf_recordset::check_record_layout() const {
  for (const dbf_column& column : columns_) {
    const dbf_field_descriptor& d = column.descriptor;
    if (!d.is_memo() && (d.field_size() <= 0 || column.slot < binary_width(d)))
      reject("Field has no valid size");
    if (column.offset + column.slot > record_length()) reject("Fields do not fit the record");
  }
  if (null_flags_.size < 0 || null_flags_.offset + null_flags_.size > record_length())
    reject("Null flags do not fit the record");
}

dbf_memo_kind dbf_recordset::get_memo_type() const {
  tk_log(2, "dbf_recordset::get_memo_type");
  switch (header_[0]) {
    case 0x30: case 0x31: case 0x32:
      tk_log(1, "MEMO TYPE=Visual FoxPro 3.0");
      if (header_[28] & 0x02) return header_[28] & 0x04 ? dbf_memo_kind::container : dbf_memo_kind::visual_foxpro;
      break;
    case 0x7B: case 0x8B: case 0x8C: case 0xCB: case 0xEB:
      tk_log(1, "MEMO TYPE=DBASE IV");
      return dbf_memo_kind::dbase4;
    case 0x83:
      tk_log(1, "MEMO TYPE=OLD (FoxBASE/dBASE III)");
      return dbf_memo_kind::dbase3;
    case 0xE5:
      tk_log(1, "MEMO TYPE=SMT");
      return dbf_memo_kind::smt;
    case 0xF5:
      tk_log(1, "MEMO TYPE=FPT");
      return dbf_memo_kind::foxpro;
    default:
      break;
  }
  tk_log(1, "MEMO TYPE=NO MEMO");
  return dbf_memo_kind::none;
}

bool dbf_recordset::has_memo_columns() const {
  return std::any_of(columns_.begin(), columns_.end(), [](const dbf_column& c) {
    return c.descriptor.is_memo() || c.descriptor.is_binary_memo();
  });
}

void dbf_recordset::init_memo_file(dbf_memo_kind memo_type) {
  // A table without memo columns needs no memo file, whatever its version.
  if (!has_memo_columns()) {
    tk_log(1, "No memo columns: the memo file is not needed");
    return;
  }
  // General, picture, blob and block-B fields are memo references too, to
  // binary data of any length; so are memo fields kept as bytes.
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const dbf_field_descriptor& d = columns_[i].descriptor;
    if (!d.is_binary_memo() && !(d.is_memo() && d.binary_text())) continue;
    columns_[i].memo = columns_[i].binary_memo = true;
    schema[i].size = 0;
  }
  memo_wanted_ = true;
  // A version byte that lists no memo file: the file beside the table says
  // which kind it is.
  std::string memo;
  if (memo_type == dbf_memo_kind::none)
    memo_type = memo_type_from_file(memo);
  else
    memo = dbf_sibling_file(file_name_, memo_extension_of(memo_type));
  memo_type_ = memo_type;
  try {
    if (memo.empty()) throw dbf_no_memo_exception();
    open_memo_file(memo_type, memo);
  } catch (const dbf_no_memo_exception&) {
    // Whoever opens the table reports it (see memo_missing()).
    tk_log(3, "Table %s: memo file not found; its memo fields read as empty", tk_printable_name(name));
  }
}

// A .dbt is a dBASE IV file when its header or first memo says so, else a
// dBASE III one; an .fpt keeps binary block numbers when the memo fields
// are four bytes wide.
dbf_memo_kind dbf_recordset::memo_type_from_file(std::string& memo) const {
  memo = dbf_sibling_file(file_name_, "dbt");
  if (!memo.empty()) return dbt_memo_file::is_dbase4(memo) ? dbf_memo_kind::dbase4 : dbf_memo_kind::dbase3;
  memo = dbf_sibling_file(file_name_, "fpt");
  if (memo.empty()) return dbf_memo_kind::none;
  bool binary_numbers = std::any_of(columns_.begin(), columns_.end(),
                                    [](const dbf_column& c) { return c.memo && c.slot == 4; });
  return binary_numbers ? dbf_memo_kind::visual_foxpro : dbf_memo_kind::foxpro;
}

void dbf_recordset::open_memo_file(dbf_memo_kind memo_type, std::string memo) {
  tk_log(2, "Memo file %s read as type %d", memo, int(memo_type));
  switch (memo_type) {
    case dbf_memo_kind::dbase3: memo_file_ = std::make_unique<old_memo_file>(memo); break;
    case dbf_memo_kind::dbase4: memo_file_ = std::make_unique<dbt_memo_file>(memo); break;
    case dbf_memo_kind::smt: memo_file_ = std::make_unique<smt_memo_file>(memo); break;
    default: memo_file_ = std::make_unique<fpt_memo_file>(memo, memo_type); break;
  }
}

// Traced only: the run reads the files it converts indexes from
// (dbf_table_indexes), so that their warnings name the table as it shows it.
void dbf_recordset::init_indexes() {
  tk_log(2, "dbf_recordset::init_indexes(%s)", file_name_);
  for (const dbf_index_files::entry& file : dbf_index_files::of(file_name_, table_flags() & 0x01))
    tk_log(1, "Index file %s", file.path);
}

// The user's choice wins, then a .cpg file beside the table (shapefile
// exports name their code page there, whatever their driver byte says), then
// the driver byte; for a table that names no page at all, its text tells
// which page it looks like (and chooses it with the setting "auto").
void dbf_recordset::choose_code_page(int encoding) {
  if (encoding != 0 && encoding != dbf_code_pages::auto_setting) {
    tk_log(1, "Setting user-defined codepage: %d", encoding);
    if (encoding < 256) header_[29] = static_cast<std::uint8_t>(encoding);
    code_page_ = dbf_code_pages::code_page_of_setting(encoding);
    tk_log(3, "Code page %d chosen by the user's encoding %d", code_page_, encoding);
    return;
  }
  std::string unknown_cpg;
  if (choose_by_cpg_file(unknown_cpg)) return;
  code_page_ = dbf_code_pages::code_page_of(header_[29]);
  tk_log(3, "Code page %d chosen by the language driver byte %d", code_page_, header_[29]);
  // Text read in a page its writer did not mean is changed text: said so.
  if (!unknown_cpg.empty()) {
    code_page_warning_ = tk_format(
        "its code page file %s names \"%s\", no code page this program reads DBF text in: the text is read in code "
        "page %d, which the header's language driver byte 0x%02X gives; --encoding= names the right one",
        tk_path_utf8(tk_native_path(unknown_cpg).filename()), printable_cpg(first_bytes_of(unknown_cpg, 64)),
        tk_code_page::resolved(code_page_), header_[29]);
    return;
  }
  if (header_[29] != 0) return;
  try {
    guess_code_page(encoding == dbf_code_pages::auto_setting);
  } catch (const tk_exception& e) {  // the records' own reading reports it
    cursor_ = 0;
    tk_log(2, "No guess of the code page: %s", e.message);
  }
}

// A .cpg file beside the table that names a known code page chooses it;
// `unknown` gets the path of one that names none.
bool dbf_recordset::choose_by_cpg_file(std::string& unknown) {
  const std::string cpg = dbf_sibling_file(file_name_, "cpg");
  if (cpg.empty()) return false;
  if (std::optional<int> number = code_page_of_cpg(first_bytes_of(cpg, 64))) {
    code_page_ = *number;
    code_page_file_ = cpg;
    tk_log(3, "Code page %d chosen by the file %s", code_page_, cpg);
    return true;
  }
  tk_log(1, "The file %s names no known code page; the driver byte decides", cpg);
  unknown = cpg;
  return false;
}

// Many tables name no code page although their text is DOS or Windows
// Cyrillic (or another page): the text of their first records tells which
// page it looks like. Text that clearly looks like another page than the
// one it is read in is a warning.
void dbf_recordset::guess_code_page(bool take_it) {
  dbf_code_page_detector detector;
  sample_text(detector);
  text_code_page_ = detector.guess();
  const int in_use = tk_code_page::resolved(code_page_);
  tk_log(2, "The text looks like code page %d (sure: %d%%, %d characters outside ASCII, score %.2f)",
         text_code_page_.code_page, text_code_page_.sureness, text_code_page_.characters, text_code_page_.score);
  const dbf_code_page_guess& guess = text_code_page_;
  const bool sure = guess.code_page != 0 && guess.sureness >= 50 && guess.characters >= 10;
  if (take_it && sure) {
    code_page_ = guess.code_page;
    code_page_guessed_ = true;
    tk_log(3, "Code page %d chosen by the table's text (sure: %d%%)", code_page_, guess.sureness);
    return;
  }
  if (!sure || guess.code_page == in_use || detector.decodes_alike(guess.code_page, in_use) ||
      guess.score - detector.score(in_use) < 0.5)
    return;
  code_page_warning_ = tk_format(
      "its header names no code page and its text is read in code page %d, but it looks like code page %d (sure: "
      "%d%%, from %d characters outside ASCII): --encoding=%d reads it so",
      in_use, guess.code_page, guess.sureness, guess.characters, guess.code_page);
}

// The character fields of the first records that hold more than ASCII;
// memos are left aside (a read each).
void dbf_recordset::sample_text(dbf_code_page_detector& detector) {
  constexpr std::uint32_t most_records = 5000;
  for (cursor_ = 0; cursor_ < record_count_ && cursor_ < most_records && !detector.has_enough(); ++cursor_) {
    const std::string_view record = current_bytes();
    for (const dbf_column& column : columns_) {
      const char letter = column.descriptor.type();
      if (column.memo || (letter != 'C' && letter != 'V') || column.descriptor.binary_text()) continue;
      const std::string_view value = record.substr(std::size_t(column.offset), std::size_t(column.slot));
      if (std::any_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        detector.add(value);
    }
  }
  cursor_ = 0;
}

// What a .cpg file names: a code page by the names writers give it, or
// ESRI's "LDID/n", a language driver byte in decimal; nothing when unknown.
std::optional<int> dbf_recordset::code_page_of_cpg(const std::string& text) {
  if (int number = tk_code_page_number_of(text); number != 0) return number;
  std::string name = printable_cpg(text);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name.rfind("ldid/", 0) == 0 && name.size() > 5 && name.size() <= 8 &&
      name.find_first_not_of("0123456789", 5) == std::string::npos) {
    const int driver = std::stoi(name.substr(5));
    if (driver <= 255 && dbf_code_pages::is_valid_setting(driver)) return dbf_code_pages::code_page_of(std::uint8_t(driver));
  }
  return std::nullopt;
}

// The .cpg's text as a warning shows it: without the blanks and line ends
// around it, other than printable ASCII as '?'.
std::string dbf_recordset::printable_cpg(const std::string& text) {
  const char* const blanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  std::string shown = text.substr(first, text.find_last_not_of(blanks) - first + 1);
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
  return shown;
}

int dbf_recordset::get_codepage() const {
  tk_log(2, "dbf_recordset::get_codepage");
  return code_page_;
}

// New rows of Oracle's sequence must not collide with the loaded ones: it
// starts after the largest value in the table, or at the value the
// descriptor keeps for the next record when that is larger.
void dbf_recordset::start_auto_increment() {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const dbf_column& column = columns_[i];
    if (!column.descriptor.auto_increment()) continue;
    std::int64_t next = std::max<std::int64_t>(1, column.descriptor.next_auto_value());
    for (cursor_ = 0; cursor_ < record_count_; ++cursor_) {
      std::string_view bytes = current_bytes().substr(std::size_t(column.offset), std::size_t(column.slot));
      ole_variant value = dbf_field::get_variant(*page_, bytes, column.descriptor);
      if (value.get_type() == VT_I4) next = std::max<std::int64_t>(next, std::int64_t(value.to_long()) + 1);
    }
    cursor_ = 0;
    schema[i].next_value = next;
    tk_log(2, "Column %s: new rows are numbered from %I64d", tk_printable_name(column.name), next);
  }
}

void dbf_recordset::append_record(const udb_record&) { TK_ASSERTION_FAILED(); }

void dbf_recordset::load_block() {
  constexpr std::size_t block_bytes = 64 * 1024;
  std::uint32_t wanted = static_cast<std::uint32_t>(std::max<std::size_t>(1, block_bytes / record_length()));
  buffer_.resize(std::size_t(wanted) * record_length());
  std::uint64_t offset = std::uint64_t(cursor_) * record_length() + header_length();
  tk_log(1, "Reading at %I64d", offset);
  std::size_t got = file_->read_some(offset, buffer_.data(), buffer_.size());
  block_first_ = cursor_;
  block_count_ = static_cast<std::uint32_t>(got / record_length());
  // A record cut by the end of the file is the same error as before.
  if (block_count_ == 0) throw tk_exception("Error reading from file", tk_exception::item_level);
}

std::string_view dbf_recordset::current_bytes() {
  if (cursor_ < block_first_ || cursor_ >= block_first_ + block_count_) load_block();
  return std::string_view(buffer_.data() + std::size_t(cursor_ - block_first_) * record_length(), record_length());
}

std::string dbf_recordset::bytes_of(std::uint64_t number) const {
  std::string bytes(record_length(), '\0');
  const std::uint64_t offset = (number - 1) * record_length() + header_length();
  if (number == 0 || file_->read_some(offset, bytes.data(), bytes.size()) != bytes.size())
    throw tk_exception("Error reading from file", tk_exception::item_level);
  return bytes;
}

udb_record& dbf_recordset::get_item() {
  tk_log(1, "dbf_recordset::get_item");
  if (!page_) TK_ASSERTION_FAILED();  // opened without its header
  if (incomplete_transaction_) {
    incomplete_transaction_ = false;
    reporter_->warn({tk_printable_name_utf8(name), 0, std::string(),
                     "the table's header says a transaction was left incomplete; its records are read as they "
                     "stand"});
  }
  if (warn_of_uncounted_records_ && record_count_ > header_count_) {
    warn_of_uncounted_records_ = false;
    reporter_->warn(
        {tk_printable_name_utf8(name), 0, std::string(),
         tk_format("the header counts %I64u records, but the file holds %I64u more whole records after them; they "
                   "are read too",
                   std::uint64_t(header_count_), std::uint64_t(record_count_ - header_count_))});
  }
  if (!current_) current_ = std::make_unique<dbf_record>(columns_, null_flags_, memo_file_.get(), *page_);
  current_->read(current_bytes(), dbf_record_place{&name, std::uint64_t(cursor_) + 1, &value_warnings_, reporter_});
  return *current_;
}

udb_journal_entry dbf_recordset::identity() const {
  udb_journal_entry entry;
  entry.source =
      tk_utf8_to_utf16_lenient(tk_path_utf8(std::filesystem::absolute(tk_native_path(file_name_)).lexically_normal()));
  tk_file_size_and_exact_time(file_name_, entry.file_size, entry.file_time);
  entry.header_date = header_date();
  entry.record_count = record_count();
  return entry;
}

std::unique_ptr<udb_reject_file> dbf_recordset::open_reject_file(std::filesystem::path path, bool keep_earlier) const {
  return std::make_unique<dbf_bad_file>(*this, std::move(path), keep_earlier);
}
