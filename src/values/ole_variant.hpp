// The value of one cell on its way from a source table to a target table: a
// VARIANT plus what the VARIANT does not carry reliably, 64-bit integers (in
// i8_value / ui8_value), dates with milliseconds (in date_value) and numbers
// with more digits than a decimal or a double holds (wide_digits()).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ole_automation.hpp"

class ole_variant {
 public:
  ole_variant();
  explicit ole_variant(bool value);
  explicit ole_variant(char value);
  explicit ole_variant(unsigned char value);
  explicit ole_variant(short value);
  explicit ole_variant(unsigned short value);
  explicit ole_variant(int value);
  explicit ole_variant(unsigned int value);
  explicit ole_variant(long value);  // 64 bits here, as a "hyper"
  explicit ole_variant(long long value);
  explicit ole_variant(unsigned long value);
  explicit ole_variant(unsigned long long value);
  explicit ole_variant(float value);
  explicit ole_variant(double value);
  explicit ole_variant(const char* text);
  explicit ole_variant(const std::string& text);
  explicit ole_variant(const char16_t* text);
  explicit ole_variant(const std::u16string& text);
  explicit ole_variant(std::u16string&& text);  // takes the text over, no copy
  explicit ole_variant(const SYSTEMTIME& value);
  explicit ole_variant(const CY& value);
  explicit ole_variant(const DECIMAL& value);
  ole_variant(std::size_t count, const std::uint8_t* bytes);
  explicit ole_variant(const std::vector<std::uint8_t>& bytes);
  ole_variant(const ole_variant& other);
  ole_variant(ole_variant&& other) noexcept;
  ole_variant& operator=(const ole_variant& other);
  ole_variant& operator=(ole_variant&& other) noexcept;
  virtual ~ole_variant();

  // A value of `kind` read from text: empty, unreadable or out-of-range text
  // gives VT_EMPTY; a kind text cannot become raises ole_type_exception.
  static ole_variant from_string(const std::string& text, VARTYPE kind);
  static ole_variant from_wstring(const std::u16string& text, VARTYPE kind);

  // A number read from decimal text that neither a decimal nor a double
  // holds exactly: a VT_R8 whose double is only the nearest one, for what
  // reads doubles, and whose exact value is `digits`, plain decimal text
  // ("-12.5", no exponent). Its text form and the number it becomes in a
  // column are those digits.
  static ole_variant wide_number(const std::string& digits);
  // The exact text of a wide number; empty for every other value.
  const std::string& wide_digits() const { return wide_digits_; }

  // The three kinds that hold binary data: VT_BLOB, VT_BLOB_OBJECT, byte array.
  static bool is_binary(VARTYPE kind);

  void attach_string(const std::string& text);
  void attach_wstring(const std::u16string& text);
  void attach_wstring(const char16_t* text);  // a raw zero-terminated string

  // Makes the value a byte array of n bytes, resizing one it already holds.
  void allocate_safe_array(std::size_t n);
  void attach_binary(std::size_t count, const std::uint8_t* bytes);
  void attach_binary(const std::vector<std::uint8_t>& bytes);
  // The bytes of a byte array (0 and null for VT_EMPTY and VT_NULL). Any other
  // kind is an internal error.
  std::size_t get_bytes(const std::uint8_t** data) const;

  VARTYPE get_type() const { return var.vt; }
  // These read the numeric kinds; another kind is an internal error. A value
  // that does not fit raises ole_cast_exception.
  std::int32_t to_long() const;
  double to_double() const;
  bool to_bool() const;
  virtual std::string to_string() const;
  virtual std::u16string to_wstring() const;

  // In-place setters for a value that is set again and again (a table's
  // reused record): each leaves the value as the constructor of the same
  // argument would, without a temporary. assign_integer takes VT_I1, VT_I2,
  // VT_I4 or VT_I8 and a value the kind holds. assign_text makes the value
  // an empty text and hands it over for filling; the storage of text the
  // value held before is kept.
  void assign_empty() { clear(); }
  void assign(bool value);
  void assign(const DECIMAL& value);
  void assign(const SYSTEMTIME& value) { set_date(value); }
  void assign_integer(std::int64_t value, VARTYPE kind);
  std::u16string& assign_text();

  // Converts in place; raises ole_cast_exception when the value cannot be
  // converted or does not fit the new kind.
  void change_type(VARTYPE kind);

  std::int64_t i8_value = 0;
  std::uint64_t ui8_value = 0;
  SYSTEMTIME date_value;  // the authoritative value of a VT_DATE
  VARIANT var;

 private:
  std::string wide_digits_;

  void set_hyper(std::int64_t value);
  void set_uhyper(std::uint64_t value);
  void set_date(const SYSTEMTIME& value);
  void set_text(std::u16string text);
  void copy_from(const ole_variant& other);
  void clear();
  std::string decimal_text() const;
  std::string currency_text() const;
  std::string array_text() const;
  std::string number_text() const;
  void change_from_hyper(VARTYPE kind);
  void change_to_hyper(VARTYPE kind);
  void change_to_binary(VARTYPE kind);
  void change_to_date();
  void change_by_variant(VARTYPE kind);
};
