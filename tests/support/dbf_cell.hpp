// One value handed to dbf_writer for one field of one record. The field's
// letter decides how the value is stored (see dbf_writer.hpp); a cell that
// does not fit its field is a mistake of the test and raises
// std::invalid_argument when the table is built.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class dbf_cell {
 public:
  enum class kind { null, text, number, integer, currency, date, date_time, boolean, raw, memo, memo_block };

  // The blank form of the field: spaces, zero bytes or "no memo".
  dbf_cell() = default;
  static dbf_cell null() { return dbf_cell(); }
  // Wide text, encoded with the table's code page; in M, G and P fields the
  // memo's text (an empty text stores no memo).
  static dbf_cell text(std::u16string value);
  static dbf_cell number(double value);
  static dbf_cell integer(std::int64_t value);
  // A Y value given exactly, in ten-thousandths.
  static dbf_cell currency(std::int64_t ten_thousandths);
  static dbf_cell date(int year, int month, int day);
  static dbf_cell date_time(int year, int month, int day, int hour, int minute, int second,
                            int millisecond = 0);
  static dbf_cell boolean(bool value);
  // The field's bytes exactly as given, padded with spaces to its length.
  static dbf_cell raw(std::string bytes);
  // Memo data stored byte for byte (a binary memo, or text already encoded);
  // unlike text, empty data still takes a block.
  static dbf_cell memo(std::string bytes);
  // A block number written into the field with nothing stored behind it.
  static dbf_cell memo_block(std::uint32_t block);

  // The memo's header claims this length instead of the true one: for FPT
  // the data length, for dBASE IV the total length word (which counts its 8
  // header bytes), for SMT the length in the record's field.
  dbf_cell with_stored_length(std::uint32_t length) const;

  kind type() const { return kind_; }
  const std::u16string& text_value() const { return text_; }
  const std::string& bytes() const { return bytes_; }
  double number_value() const { return number_; }
  std::int64_t integer_value() const { return integer_; }
  bool boolean_value() const { return integer_ != 0; }
  int year() const { return year_; }
  int month() const { return month_; }
  int day() const { return day_; }
  // Milliseconds since midnight of a date_time (0 for a date).
  std::int64_t milliseconds() const { return integer_; }
  const std::optional<std::uint32_t>& stored_length() const { return stored_length_; }

 private:
  explicit dbf_cell(kind k) : kind_(k) {}

  kind kind_ = kind::null;
  std::u16string text_;
  std::string bytes_;
  double number_ = 0;
  std::int64_t integer_ = 0;
  int year_ = 0;
  int month_ = 0;
  int day_ = 0;
  std::optional<std::uint32_t> stored_length_;
};
