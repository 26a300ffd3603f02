#include "emu_round_trips.hpp"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "emu_error.hpp"

namespace ociemu {

namespace {

std::atomic<std::uint64_t> counter{0};
// The process's sessions waiting a modelled delay now, and the most that ever did at once.
std::atomic<std::uint32_t> waiting{0};
std::atomic<std::uint32_t> most_waiting{0};

struct exit_report {
  ~exit_report() {
    const char* path = std::getenv("OCIEMU_ROUND_TRIPS");
    if (!path || !*path) return;
    if (std::FILE* f = std::fopen(path, "w")) {
      std::fprintf(f, "round_trips=%llu\n", static_cast<unsigned long long>(counter.load()));
      std::fprintf(f, "most_waiting_at_once=%u\n", static_cast<unsigned>(most_waiting.load()));
      std::fclose(f);
    }
  }
} report;

// Microseconds from the environment; 0 when unset or not a number.
std::chrono::microseconds microseconds_of(const char* variable) {
  const char* text = std::getenv(variable);
  if (!text || !*text) return std::chrono::microseconds(0);
  char* end = nullptr;
  const long long n = std::strtoll(text, &end, 10);
  return std::chrono::microseconds(*end == 0 && n > 0 ? n : 0);
}

// OCIEMU_ROUND_TRIP_DELAY_US: microseconds each round trip waits, as a network would make
// it; read once.
std::chrono::microseconds delay() {
  static const std::chrono::microseconds value = microseconds_of("OCIEMU_ROUND_TRIP_DELAY_US");
  return value;
}

// OCIEMU_SERVER_ROW_US: microseconds of the server's work per row; read once.
std::chrono::microseconds row_time() {
  static const std::chrono::microseconds value = microseconds_of("OCIEMU_SERVER_ROW_US");
  return value;
}

// The round trip after which the server goes away; 0 when it stays.
std::uint64_t gone_after() {
  static const std::uint64_t limit = [] {
    const char* text = std::getenv("OCIEMU_GONE_AFTER");
    return text && *text ? std::strtoull(text, nullptr, 10) : 0ULL;
  }();
  return limit;
}

std::atomic<bool> told_gone{false};

}  // namespace

std::chrono::microseconds counted_round_trip() {
  const std::uint64_t n = ++counter;
  const std::uint64_t limit = gone_after();
  if (limit == 0 || n <= limit) return delay();
  // The first call to find the server gone sees the channel end; later ones
  // find themselves not connected.
  if (!told_gone.exchange(true)) throw ora_error(3113);
  throw ora_error(3114);
}

void count_round_trip() { wait_modelled(counted_round_trip()); }

void wait_modelled(std::chrono::microseconds time) {
  if (time.count() <= 0) return;
  const std::uint32_t now = ++waiting;
  std::uint32_t most = most_waiting.load();
  while (now > most && !most_waiting.compare_exchange_weak(most, now)) {
  }
  std::this_thread::sleep_for(time);
  --waiting;
}

std::chrono::microseconds server_row_time(std::uint64_t rows) {
  return row_time() * static_cast<std::int64_t>(rows);
}

bool server_reachable() { return gone_after() == 0 || counter.load() <= gone_after(); }
std::uint64_t round_trips() { return counter.load(); }

}  // namespace ociemu
