#include "emu_write_gate.hpp"

#include <algorithm>
#include <map>

namespace ociemu {

std::shared_ptr<emu_write_gate> emu_write_gate::of(const std::string& service_file) {
  static std::mutex mutex;
  static std::map<std::string, std::weak_ptr<emu_write_gate>> gates;
  std::lock_guard<std::mutex> guard(mutex);
  auto& slot = gates[service_file];
  auto gate = slot.lock();
  if (!gate) {
    gate = std::make_shared<emu_write_gate>();
    slot = gate;
  }
  return gate;
}

bool emu_write_gate::enter(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::uint64_t ticket = next_ticket_++;
  queue_.push_back(ticket);
  const bool entered =
      turn_.wait_for(lock, wait, [&] { return !held_ && queue_.front() == ticket; });
  queue_.erase(std::find(queue_.begin(), queue_.end(), ticket));
  if (entered) held_ = true;
  else turn_.notify_all();  // the one behind may be first now
  return entered;
}

void emu_write_gate::leave() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    held_ = false;
  }
  turn_.notify_all();
}

}  // namespace ociemu
