// Turns one dbf_cell into the bytes of one field of a record, by the field's
// letter:
//   C and letters without an encoding of their own: text left-aligned and
//     padded with spaces (numbers, dates and booleans as their text);
//   N, F: numbers right-aligned with the field's decimals;
//   D: YYYYMMDD;  T: Julian day and milliseconds, two little-endian int32;
//   I: little-endian int32;  B: little-endian double;  L: 'T' or 'F';
//   Y: little-endian int64 of the amount x 10000;
//   + (dBASE 7 autoincrement): big-endian int32 with the sign bit flipped;
//   O (dBASE 7 double): big-endian double, order-preserving;
//   @ (dBASE 7 timestamp): big-endian double of milliseconds, day 1 being
//     0001-01-01;
//   M, G, P, W: a reference to a memo stored through the memo writer (any
//     field takes one from dbf_cell::memo: a dBASE 7 B, for instance).
// The blank (null) form is zero bytes for T, I, B, Y, +, O, @ and 0 (the
// Visual FoxPro null-flags field), spaces for the others, and "no memo" for
// memo references.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dbf_cell.hpp"
#include "dbf_field_definition.hpp"

class dbf_memo_writer;

// How a memo field refers to its block.
enum class dbf_block_style {
  digits,  // decimal digits right-aligned, blank when there is no memo
  binary,  // Visual FoxPro: little-endian uint32, 0 when there is no memo
  smt,     // little-endian type (16 bits), length and block (32 bits each)
};

class dbf_value_encoder {
 public:
  // memo may be null: a table without a memo file.
  dbf_value_encoder(int code_page, dbf_block_style style, dbf_memo_writer* memo);

  // Exactly field.length bytes.
  std::string encode(const dbf_field_definition& field, const dbf_cell& cell) const;
  // Text in the table's code page.
  std::string encode_text(std::u16string_view text) const;

  // The Julian day number of a date of the proleptic Gregorian calendar.
  static std::int32_t julian_day(int year, int month, int day);

 private:
  std::string blank(const dbf_field_definition& field) const;
  std::string memo_reference(const dbf_field_definition& field, const dbf_cell& cell) const;
  std::string block_reference(const dbf_field_definition& field, std::uint32_t block,
                              std::uint32_t length) const;
  std::string as_text(const dbf_field_definition& field, const dbf_cell& cell) const;
  std::string as_number_text(const dbf_field_definition& field, const dbf_cell& cell) const;
  std::string as_binary(const dbf_field_definition& field, const dbf_cell& cell) const;

  int code_page_;
  dbf_block_style style_;
  dbf_memo_writer* memo_;
};
