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
// True when the column is a LOB (unbounded text or binary, not LONG).
bool ora_is_lob_column(const t_ftd& descriptor);
std::u16string to_oracle_str(const std::u16string& text, VARTYPE kind);
std::u16string to_oracle_str(const udb_field& field);
