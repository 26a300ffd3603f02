// Counts the calls that would reach the server with a real client, so that clients can be
// measured. When OCIEMU_ROUND_TRIPS names a file, the count is written there at exit;
// OCIEMU_ROUND_TRIP_DELAY_US makes each one wait that many microseconds.
#pragma once

#include <cstdint>

namespace ociemu {

void count_round_trip();
std::uint64_t round_trips();

}  // namespace ociemu
