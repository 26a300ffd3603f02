// Conversions between wide (UTF-16) text and byte text.
//
// Program text (messages, paths, arguments, configuration files) is UTF-8:
// that is the "system code page" here. DBF text is in the table's code page
// (tk_code_page). Failures raise the level-0 tk_exception_ex of the direction
// ("Cannot convert to UTF8 string: ", "Cannot convert to ANSI string: ",
// "Cannot convert to UNICODE string: "), so only the item being converted
// fails. Every converted text ends at its first zero.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Non-raising forms, used while building exception messages.
bool tk_wide_to_system(std::u16string_view text, std::string& out);
bool tk_system_to_wide(std::string_view text, std::u16string& out);

std::string tk_to_utf8(std::u16string_view text);
std::u16string tk_utf8_to_ucs2(std::string_view text);
// -1 is the system code page (UTF-8), 0 the default code page of DBF text.
std::string tk_ucs2_to_ansi(std::u16string_view text, int code_page);
// Bytes in the code page to UTF-16; traces the input in hexadecimal first.
std::u16string tk_ansi_to_ucs2(std::string_view text, int code_page);

// Writes `size` bytes as upper-case hexadecimal, two digits a byte, and a
// terminating zero: `out` holds 2 * size + 1 characters. A null `out` or
// null `bytes` with a size is an internal error.
void tk_dump_bytes(const void* bytes, std::size_t size, char* out);
std::string tk_hex_of(std::string_view bytes);
