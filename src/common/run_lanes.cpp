#include "run_lanes.hpp"

#include <algorithm>
#include <numeric>

run_lanes::run_lanes(const std::vector<std::u16string>& tables, const std::vector<std::uint64_t>& sizes,
                     const std::vector<std::size_t>& parts)
    : order_(tables.size()), parts_(tables.size()), turn_(tables.size()), named_(tables.size(), false),
      steps_(tables.size()) {
  for (const std::u16string& name : tables) tallies_.push_back(table_tally{name});
  for (std::size_t i = 0; i < parts.size() && i < tables.size(); ++i)
    if (parts[i] > 1) parts_[i] = std::make_unique<table_parts>(parts[i]);
  std::iota(order_.begin(), order_.end(), std::size_t{0});
  std::stable_sort(order_.begin(), order_.end(),
                   [&](std::size_t a, std::size_t b) { return sizes[a] > sizes[b]; });
  for (std::size_t i = 0; i < order_.size(); ++i) turn_[order_[i]] = i;
}

std::optional<run_lanes::work> run_lanes::take() {
  std::lock_guard lock(mutex_);
  if (stopped_ || taken_ == order_.size()) return std::nullopt;
  const std::size_t at = order_[taken_];
  const std::size_t part = part_taken_++;
  if (!parts_[at] || part_taken_ == parts_[at]->parts()) {
    ++taken_;
    part_taken_ = 0;
  }
  return work{at, part};
}

std::vector<table_tally> run_lanes::take_tallies() {
  std::lock_guard lock(mutex_);
  std::vector<table_tally> taken;
  for (std::size_t at = 0; at < tallies_.size(); ++at)
    if (turn_[at] < taken_ || (turn_[at] == taken_ && part_taken_ > 0)) taken.push_back(std::move(tallies_[at]));
  tallies_.clear();
  return taken;
}

void run_lanes::await_naming(std::size_t at) {
  std::unique_lock lock(mutex_);
  naming_.wait(lock, [&] { return naming_turn_ >= turn_[at]; });
}

void run_lanes::named(std::size_t at) {
  std::lock_guard lock(mutex_);
  named_[at] = true;
  while (naming_turn_ < order_.size() && named_[order_[naming_turn_]]) ++naming_turn_;
  naming_.notify_all();
}

void run_lanes::ended(std::size_t at, finish_step step, conversion_run& lane) {
  {
    std::lock_guard lock(mutex_);
    steps_[at] = std::move(step);
  }
  std::lock_guard running(finishing_);
  for (;;) {
    finish_step next;
    {
      std::lock_guard lock(mutex_);
      if (next_step_ == steps_.size() || !steps_[next_step_]) return;
      next = std::move(*steps_[next_step_]);
      ++next_step_;
    }
    if (next) next(lane);
  }
}
