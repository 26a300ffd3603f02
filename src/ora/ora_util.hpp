// The pure translations between the table model and Oracle text: column
// types, value kinds of NUMBER columns, default clauses and SQL literals.
#pragma once

#include <string>

#include "t_ftd.hpp"
#include "udb_column_type.hpp"
#include "udb_custom_conversion.hpp"
#include "udb_field.hpp"

// Sized Oracle columns hold at most this many characters (NVARCHAR2) or
// bytes (RAW); longer or unbounded ones are LOBs (or LONG).
constexpr std::uint32_t ora_sized_limit = 2000;

std::u16string get_ora_native_type(const t_ftd& descriptor, bool b_name_only);
// The Oracle type a model column type is declared with.
std::u16string ora_type_name(const udb_column_type& type);
// The kind of NUMBER(precision, scale); may raise the precision by one.
VARTYPE get_refined_num_type(int& precision, int scale);
// The text after DEFAULT, or empty for none (ora_default_value says why).
std::u16string make_ora_def_val(const t_ftd& descriptor, const udb_custom_conversion* rules = nullptr);
// True when a column of this descriptor may carry a default clause.
bool ora_can_have_default(const t_ftd& descriptor);
// True when the column is a LOB: by its Oracle type when it has one (a chosen type, or an
// existing table's), else unbounded text or binary.
bool ora_is_lob_column(const t_ftd& descriptor);
// A chosen VARCHAR2(n), VARCHAR(n) or CHAR(n) as "VARCHAR2(n CHAR)": the length counts
// characters, as the source's widths do, not bytes (the server's default semantics, under
// which n letters outside ASCII may not fit). Other types, and those that name BYTE or CHAR,
// stay as they are.
std::u16string ora_in_characters(const std::u16string& type);
// The SQL literal of a default's text read as a value of `kind`: a date
// through TO_DATE, bytes as quoted hex digits, text quoted; "''" for empty
// text, empty when a date text is no date.
std::u16string to_oracle_str(const std::u16string& text, VARTYPE kind);
