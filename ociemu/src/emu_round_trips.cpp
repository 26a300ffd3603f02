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

struct exit_report {
  ~exit_report() {
    const char* path = std::getenv("OCIEMU_ROUND_TRIPS");
    if (!path || !*path) return;
    if (std::FILE* f = std::fopen(path, "w")) {
      std::fprintf(f, "round_trips=%llu\n", static_cast<unsigned long long>(counter.load()));
      std::fclose(f);
    }
  }
} report;

// OCIEMU_ROUND_TRIP_DELAY_US: microseconds each round trip waits, as a network would make
// it; read once, 0 when unset or not a number.
std::chrono::microseconds delay() {
  static const std::chrono::microseconds value = [] {
    const char* text = std::getenv("OCIEMU_ROUND_TRIP_DELAY_US");
    if (!text || !*text) return std::chrono::microseconds(0);
    char* end = nullptr;
    const long long n = std::strtoll(text, &end, 10);
    return std::chrono::microseconds(*end == 0 && n > 0 ? n : 0);
  }();
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

void count_round_trip() {
  const std::uint64_t n = ++counter;
  if (const auto wait = delay(); wait.count() > 0) std::this_thread::sleep_for(wait);
  const std::uint64_t limit = gone_after();
  if (limit == 0 || n <= limit) return;
  // The first call to find the server gone sees the channel end; later ones
  // find themselves not connected.
  if (!told_gone.exchange(true)) throw ora_error(3113);
  throw ora_error(3114);
}

bool server_reachable() { return gone_after() == 0 || counter.load() <= gone_after(); }
std::uint64_t round_trips() { return counter.load(); }

}  // namespace ociemu
