// Behaviours our OCI notes could not confirm from a source. Each is the most likely one and
// is kept here, so that a check against a real server changes one line.
#pragma once

namespace ociemu::unverified {

// Select-list DATA_SIZE of CLOB, NCLOB and BLOB columns: 4000 and 86 were both reported.
inline constexpr int lob_describe_size = 4000;

// USER_TAB_COLUMNS.DATA_SCALE of an unconstrained NUMBER and of FLOAT, and DATA_PRECISION of
// an unconstrained NUMBER: NULL.
inline constexpr bool unconstrained_number_scale_is_null = true;

// OCISessionEnd commits the open transaction (the 9.2 manual's wording; later ones unread).
inline constexpr bool session_end_commits = true;

// OCILobRead at an offset past the end of the LOB (an empty LOB included): OCI_NO_DATA
// with an amount of 0.
inline constexpr bool read_past_end_is_no_data = true;

// OCILobWrite with an amount larger than the buffer holds writes what the buffer holds.
inline constexpr bool write_amount_capped_by_buffer = true;

// OCIErrorGet with a buffer too small for the message: OCI_ERROR with nothing filled in, not
// even the error number (the manual's word; a 10.2 client returned OCI_SUCCESS and the text cut
// short, which a client must not count on either).
inline constexpr bool short_error_buffer_succeeds = false;

// COUNT(*), SUM(...) and other computed numbers describe like a number literal: NUMBER with
// precision 0 and scale -127, nullable.
inline constexpr short computed_number_precision = 0;

// The rules below are enforced, each from Oracle's documentation; how a real server draws
// their lines in detail was not seen, and each choice is the stricter reading:
//
// ORA-01461: a bound value counts the bytes it takes on the server (database or national
// character set), not the client's UTF-16 bytes, and is checked row by row (a batch error),
// before the column's own length (ORA-12899).
//
// ORA-24816: a bind "may exceed 4000 bytes" by OCI_ATTR_MAXDATA_SIZE when set, else by its
// value_sz (less the length prefix of SQLT_LVC and SQLT_LVB), never by the server's expansion of
// UTF-16 text; a bind of at most 4000 bytes into a LOB column counts as a LOB bind; binds over
// 4000 bytes into LOB columns may follow one another. Checked for INSERT only, once for the
// whole statement.
//
// ORA-01459 for a bind with a buffer and a value_sz of 0 or less, raised by OCIBindByPos and
// OCIBindByName themselves rather than at execute.
//
// ORA-01450: widths as the message's description counts them (NUMBER(p) as p / 2 + 2, other
// numbers 22, text and RAW their byte length, DATE 7, TIMESTAMP 11), one byte more each, against
// 6398 (8 KB blocks); the rowid a non-unique index adds is not counted.
//
// A bound value over OCI_ATTR_MAXDATA_SIZE is not refused for that alone.
//
// ORA-01704 for a string literal of more than 4000 bytes in the database character set (N'...'
// literals measured the same way), raised for the statement at execute.
//
// Oracle 23ai texts: the classic message (not 23ai's reworded ones, such as ORA-01461's "The
// value at bind position ... exceeded the maximum VARCHAR2 length"), then the help line.


}  // namespace ociemu::unverified
