// The turn of one service file's writers in this process. SQLite lets one
// transaction write at a time; its own wait for the file lock sleeps in steps
// of up to 100 ms, so a session whose turn came would sleep through most of
// it. The sessions of a process queue here instead, first come first served,
// and only sessions of other processes meet SQLite's wait.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace ociemu {

class emu_write_gate {
 public:
  // The gate of a service file, shared by every connection of the process to it.
  static std::shared_ptr<emu_write_gate> of(const std::string& service_file);

  // Waits for the turn; false when `wait` ran out first.
  bool enter(std::chrono::milliseconds wait);
  void leave();

 private:
  std::mutex mutex_;
  std::condition_variable turn_;
  bool held_ = false;
  std::uint64_t next_ticket_ = 0;
  std::deque<std::uint64_t> queue_;
};

}  // namespace ociemu
