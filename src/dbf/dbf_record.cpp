#include "dbf_record.hpp"

#include <charconv>
#include <cmath>

#include "dbf_field.hpp"
#include "tk_reporter.hpp"
#include "tk_convert.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"

dbf_record::dbf_record(const std::vector<dbf_column>& columns, const dbf_null_flags& null_flags,
                       dbf_memo_file* memo_file, const tk_code_page& code_page)
    : columns_(columns), null_flags_(null_flags), memo_file_(memo_file), code_page_(code_page) {
  decoders_.reserve(columns.size());
  for (const dbf_column& column : columns) {
    add(std::make_unique<udb_field>(column.name, column.slot));
    decoders_.emplace_back(column, code_page);
  }
}

dbf_record::dbf_record(const std::vector<dbf_column>& columns, const dbf_null_flags& null_flags,
                       std::string_view bytes, dbf_memo_file* memo_file, const tk_code_page& code_page,
                       dbf_record_place place)
    : dbf_record(columns, null_flags, memo_file, code_page) {
  read(bytes, place);
}

void dbf_record::read(std::string_view bytes, dbf_record_place place) {
  tk_log(1, "dbf_record::read");
  place_ = place;
  if (tk_log_wanted(1)) tk_log(1, "data=%s", std::string(bytes.substr(0, 20)));
  deleted = !bytes.empty() && bytes[0] == '*';
  tk_log(1, "Got deleted flag: %d", int(deleted));
  const bool tracing = tk_log_wanted(1);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const dbf_column& column = columns_[i];
    udb_field& field = (*this)[i];
    if (tracing) tk_log(1, "field #%d: type=%08X, size=%d", i, column.descriptor.vartype(), column.slot);
    std::string_view cell = bytes.substr(static_cast<std::size_t>(column.offset),
                                         static_cast<std::size_t>(column.slot));
    if (null_flags_.bit(bytes, column.null_bit)) {
      field.size = column.slot;
      field.assign_empty();
    } else if (column.memo) {
      read_memo_field(column, cell, field);
    } else if (!decoders_[i].read(cell, field)) {
      read_plain_field(column, cell, !null_flags_.bit(bytes, column.varying_bit), field);
    }
  }
}

void dbf_record::read_plain_field(const dbf_column& column, std::string_view bytes, bool full_length,
                                  udb_field& field) {
  const dbf_field_descriptor& d = column.descriptor;
  if (d.is_varying() && !full_length) bytes = varying_bytes(column, bytes);
  if (d.vartype() == VT_BLOB) {
    field.size = column.slot;
    static_cast<ole_variant&>(field) = ole_variant();
    field.attach_binary(bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
    return;
  }
  std::string note;
  field.size = d.field_size();
  static_cast<ole_variant&>(field) = dbf_field::get_variant(code_page_, bytes, d, &note);
  if (!note.empty()) warn_of_value(column, note);
  // A timestamp that is no date (NaN, or outside the years Oracle keeps)
  // cannot be carried over, nor can a double outside NUMBER's range (zeros,
  // and for a T field blanks, are an empty value; a day past 9999-12-31 is
  // noted by the field's reader).
  const char letter = d.type();
  const bool doubles = letter == 'B' || (letter == 'O' && d.level7());
  if (letter != '@' && letter != 'T' && !doubles) return;
  const bool zeros = bytes.find_first_not_of(std::string_view("\0", 1)) == std::string_view::npos;
  const bool blank = zeros || (letter == 'T' && bytes.find_first_not_of(' ') == std::string_view::npos);
  if (doubles)
    warn_of_double(column, bytes, field, zeros);
  else if (note.empty() && field.get_type() == VT_EMPTY && !blank)
    warn(column, tk_format("the timestamp %s is no valid date and time; the value is left empty", tk_hex_of(bytes)));
}

// Oracle's NUMBER holds magnitudes from 1e-130 to below 1e126: a double
// beyond them is left empty, one below them arrives as 0, and NaN and the
// infinities are no numbers at all.
void dbf_record::warn_of_double(const dbf_column& column, std::string_view bytes, const udb_field& field,
                                bool blank) const {
  if (field.get_type() == VT_EMPTY) {
    if (!blank)
      warn(column, tk_format("the double %s is no number (NaN or infinite); the value is left empty", tk_hex_of(bytes)));
    return;
  }
  if (field.get_type() != VT_R8) return;
  const double value = field.to_double();
  const double magnitude = std::fabs(value);
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  const std::string shown(text, written.ptr);
  if (magnitude > 1e126)
    warn(column, tk_format("the double %s is beyond the range of Oracle's NUMBER; the value is left empty", shown));
  else if (magnitude != 0 && magnitude < 1e-130)
    warn(column, tk_format("the double %s is too small for Oracle's NUMBER; it arrives as 0", shown));
}

std::string_view dbf_record::varying_bytes(const dbf_column& column, std::string_view bytes) {
  if (bytes.empty()) return bytes;
  std::size_t length = static_cast<unsigned char>(bytes.back());
  if (length < bytes.size()) return bytes.substr(0, length);
  warn(column, tk_format("the length byte (%d) is larger than the field allows (%d); the whole field is kept",
                         int(length), int(bytes.size()) - 1));
  return bytes.substr(0, bytes.size() - 1);
}

void dbf_record::warn(const dbf_column& column, const std::string& what) const {
  std::string table = place_.table ? tk_printable_name_utf8(*place_.table) : std::string();
  const tk_warning warning{table, place_.record_number, tk_printable_name_utf8(column.name), what};
  if (place_.reporter)
    place_.reporter->warn(warning);
  else
    tk_log_reporter().warn(warning);
}

// Numeric text in an odd form may fill a whole column: such warnings are
// counted per column when the table keeps a count.
void dbf_record::warn_of_value(const dbf_column& column, const std::string& what) const {
  if (!place_.warnings) return warn(column, what);
  std::string table = place_.table ? tk_printable_name_utf8(*place_.table) : std::string();
  place_.warnings->add(table, tk_printable_name_utf8(column.name), place_.record_number, what);
}

void dbf_record::read_memo_field(const dbf_column& column, std::string_view bytes, udb_field& field) {
  field.size = 0;
  field.assign_empty();
  if (!memo_file_) {
    tk_log(1, "No MEMO file!");
    return;
  }
  std::uint32_t block = memo_file_->get_block_number(bytes);
  tk_log(1, "Got memo block number: %d", block);
  if (block == 0) return;
  dbf_memo_hint hint{memo_file_->get_stored_length(bytes), column.binary_memo};
  if (!read_memo(column, block, hint, memo_bytes_)) return;
  if (column.binary_memo) {
    field.attach_binary(memo_bytes_.size(), reinterpret_cast<const std::uint8_t*>(memo_bytes_.data()));
  } else {
    warn_of_cut_text(column, memo_bytes_);
    warn_of_undefined_bytes(column, memo_bytes_);
    code_page_.decode_into(memo_bytes_, field.assign_text());
    tk_log(1, "Got MEMO: %s", field.var.bstrVal);
  }
}

// Text ends at its first zero byte; a memo with more after it (a picture
// stored in a text memo) loses that rest, which must not go unsaid. Zero
// bytes that only pad the memo's end lose nothing.
void dbf_record::warn_of_cut_text(const dbf_column& column, std::string_view data) const {
  const std::size_t zero = data.find('\0');
  if (zero == std::string_view::npos) return;
  const std::size_t last = data.find_last_not_of('\0');
  if (last == std::string_view::npos || last < zero) return;
  warn(column, tk_format("the memo text holds a zero byte at offset %I64u; its %I64u bytes after it (binary data in "
                         "a text memo) are not carried over",
                         std::uint64_t(zero), std::uint64_t(data.size() - zero - 1)));
}

void dbf_record::warn_of_undefined_bytes(const dbf_column& column, std::string_view data) const {
  if (std::string what = dbf_field::undefined_byte_note(code_page_, data); !what.empty()) warn_of_value(column, what);
}

bool dbf_record::read_memo(const dbf_column& column, std::uint32_t block,
                           const dbf_memo_hint& hint, std::string& out) {
  dbf_memo_status status = memo_file_->read_memo(block, out, hint);
  if (status == dbf_memo_status::ok) return true;
  const char* why = status == dbf_memo_status::out_of_range   ? "its block lies past the end of the memo file"
                    : status == dbf_memo_status::invalid_size ? "its length runs past the end of the memo file"
                                                              : "it is longer than 256 MiB";
  warn(column, tk_format("memo data is damaged (%s); the memo is left empty", why));
  return false;
}
