// Counts the calls that would reach the server with a real client, so that clients can be
// measured. When OCIEMU_ROUND_TRIPS names a file, the count is written there at exit;
// OCIEMU_ROUND_TRIP_DELAY_US makes each one wait that many microseconds, and
// OCIEMU_SERVER_ROW_US models the server's own work: each execute of DML waits that many
// microseconds per row it sends. Both waits are a model of a server whose sessions work side
// by side, so a session waits them outside the turn it takes to write. The exit report also
// tells the most sessions of the process that waited at once, which shows whether they
// overlap without timing them.
// When OCIEMU_GONE_AFTER names a number N, the server "goes away" after N round trips, for
// tests of lost connections: the next round trip fails with ORA-03113, every later one with
// ORA-03114, and no work of the process is committed from then on.
#pragma once

#include <chrono>
#include <cstdint>

namespace ociemu {

// Counts one round trip and waits its delay; raises ORA-03113 / ORA-03114 once the server
// has gone away. For calls outside a session's transaction.
void count_round_trip();
// The same, returning the delay for the caller to wait (emu_connection::wait_outside_locks).
std::chrono::microseconds counted_round_trip();
// Waits a modelled delay (a round trip's, the server's work), counting the sessions that
// wait at once.
void wait_modelled(std::chrono::microseconds time);
// The server's modelled work on `rows` rows.
std::chrono::microseconds server_row_time(std::uint64_t rows);
// False once the server has gone away (OCI_ATTR_SERVER_STATUS).
bool server_reachable();
std::uint64_t round_trips();

}  // namespace ociemu
