// The pure translations between the table model and Oracle text: column
// types, value kinds of NUMBER columns, default clauses and SQL literals.
#pragma once

#include <string>

#include "t_ftd.hpp"
#include "udb_field.hpp"

// Sized Oracle columns hold at most this many characters (NVARCHAR2) or
// bytes (RAW); longer or unbounded ones are LOBs (or LONG).
constexpr std::uint32_t ora_sized_limit = 2000;

std::u16string get_ora_native_type(const t_ftd& descriptor, bool b_name_only);
// The kind of NUMBER(precision, scale); may raise the precision by one.
VARTYPE get_refined_num_type(int& precision, int scale);
// The text after DEFAULT, or empty for none (ora_default_value says why).
std::u16string make_ora_def_val(const t_ftd& descriptor);
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
std::u16string to_oracle_str(const std::u16string& text, VARTYPE kind);
std::u16string to_oracle_str(const udb_field& field);
// The literal of a field bound for a text column: a date as its quoted text (YYYY-MM-DD, with
// HH24:MI:SS when it has a time), never to_date(...), which the server would turn back into
// text in the session's date format (DD-MON-RR: no century, no time). Others as to_oracle_str.
std::u16string ora_text_literal(const udb_field& field);
