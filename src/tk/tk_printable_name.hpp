// Names that reach the console or the trace (file names, folders, table and
// column names) come from the file system or another program's catalog and
// may hold characters that act on a terminal instead of being shown: line
// breaks, escape sequences, C1 controls, marks that reorder the text. Every
// message that prints such a name passes it through here, so the reader
// sees the name as it is, one visible character per escape.
#pragma once

#include <string>
#include <string_view>

// The name with each such character written as an escape: \n, \r and \t by
// their letters, other characters below U+0100 as \xHH (\x1B), the rest as
// \uHHHH (\u202E). Every other character, the backslash included, is kept.
std::u16string tk_printable_name(std::u16string_view name);
// The same, as UTF-8 for narrow messages and the console.
std::string tk_printable_name_utf8(std::u16string_view name);
// The same for a UTF-8 name; bytes that are not UTF-8 show as U+FFFD.
std::string tk_printable_name_utf8(std::string_view name);
