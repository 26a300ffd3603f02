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


}  // namespace ociemu::unverified
