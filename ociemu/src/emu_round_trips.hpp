// Counts the calls that would reach the server with a real client, so that clients can be
// measured. When OCIEMU_ROUND_TRIPS names a file, the count is written there at exit;
// OCIEMU_ROUND_TRIP_DELAY_US makes each one wait that many microseconds.
// When OCIEMU_GONE_AFTER names a number N, the server "goes away" after N round trips, for
// tests of lost connections: the next round trip fails with ORA-03113, every later one with
// ORA-03114, and no work of the process is committed from then on.
#pragma once

#include <cstdint>

namespace ociemu {

// Counts one round trip; raises ORA-03113 / ORA-03114 once the server has gone away.
void count_round_trip();
// False once the server has gone away (OCI_ATTR_SERVER_STATUS).
bool server_reachable();
std::uint64_t round_trips();

}  // namespace ociemu
