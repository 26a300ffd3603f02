// An Oracle column type as declared, with what the catalog views and the describe of a
// query report for it.
#pragma once

#include <optional>
#include <string>

namespace ociemu {

class emu_token_cursor;

enum class type_kind {
  number, float_, binary_float, binary_double, char_, nchar, varchar2, nvarchar2,
  clob, nclob, blob, long_, long_raw, raw, date, timestamp, rowid
};

struct emu_column_type {
  type_kind kind = type_kind::varchar2;
  int length = 0;                 // characters or bytes for text, bytes for RAW
  bool char_semantics = true;     // length of CHAR/VARCHAR2 counts characters
  bool semantics_given = false;   // the declaration said BYTE or CHAR
  std::optional<int> precision;   // NUMBER(p) / FLOAT(b)
  std::optional<int> scale;       // NUMBER(p,s); INTEGER is NUMBER with scale 0
  int fraction_digits = 6;        // TIMESTAMP(n)

  // Reads a type from a declaration; raises ORA-00902, ORA-00906, ORA-00910, ORA-01727,
  // ORA-01728 and their kin for what a server rejects.
  static emu_column_type parse(emu_token_cursor& cursor);
  static emu_column_type parse(const std::u16string& declaration);
  static emu_column_type of(type_kind kind, int length = 0, bool char_semantics = true);
  static emu_column_type number_type() { return of(type_kind::number); }

  std::string declaration() const;  // canonical text, read back by parse()
  std::string catalog_name() const; // USER_TAB_COLUMNS.DATA_TYPE
  int catalog_length() const;       // USER_TAB_COLUMNS.DATA_LENGTH
  std::optional<int> catalog_precision() const;
  std::optional<int> catalog_scale() const;
  int char_length() const;          // USER_TAB_COLUMNS.CHAR_LENGTH
  const char* char_used() const;    // "B", "C" or nullptr

  unsigned short describe_code() const;
  unsigned short describe_size() const;
  short describe_precision() const;
  signed char describe_scale() const;
  unsigned char charset_form() const;  // 1 implicit, 2 national, 0 not character data
  unsigned short charset_id() const;

  bool is_text() const;       // CHAR, NCHAR, VARCHAR2, NVARCHAR2
  bool is_national() const;
  bool is_numeric() const;    // NUMBER, FLOAT, BINARY_*
  bool is_binary() const;     // RAW, LONG RAW, BLOB
  bool is_lob() const;        // CLOB, NCLOB, BLOB
  bool is_long() const;       // LONG, LONG RAW
  bool is_datetime() const;
  bool is_character_data() const;  // anything read as text: text types, CLOB, NCLOB, LONG
  // The type with NLS_LENGTH_SEMANTICS applied when its declaration named none.
  emu_column_type with_default_semantics(bool char_semantics_by_default) const;
  // The most bytes a value of a CHAR or VARCHAR2 column may take, whatever its semantics.
  int max_bytes() const;
};

}  // namespace ociemu
