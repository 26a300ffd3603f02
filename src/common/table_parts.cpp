#include "table_parts.hpp"

bool table_parts::first_to_start() {
  std::lock_guard lock(mutex_);
  const bool first = !started_;
  started_ = true;
  return first;
}

void table_parts::prepared(bool go, std::u16string target, std::vector<range> ranges) {
  {
    std::lock_guard lock(mutex_);
    if (prepared_) return;
    prepared_ = true;
    go_ = go;
    target_ = std::move(target);
    ranges_ = std::move(ranges);
  }
  ready_.notify_all();
}

bool table_parts::await(std::u16string& target, std::vector<range>& ranges) {
  std::unique_lock lock(mutex_);
  ready_.wait(lock, [&] { return prepared_; });
  target = target_;
  ranges = ranges_;
  return go_;
}

void table_parts::set_end(end_step end) {
  std::lock_guard lock(mutex_);
  end_ = std::move(end);
}

table_parts::end_step table_parts::take_end() {
  std::lock_guard lock(mutex_);
  return std::move(end_);
}

namespace {

// A failure outweighs a stop, which outweighs a skip.
int weight(table_tally::outcome o) {
  switch (o) {
    case table_tally::outcome::failed: return 3;
    case table_tally::outcome::cancelled: return 2;
    case table_tally::outcome::skipped: return 1;
    default: return 0;
  }
}

}  // namespace

table_parts::ending table_parts::part_ended(const table_tally& part, table_tally& table) {
  std::lock_guard lock(mutex_);
  ending e;
  e.newly_failed = part.result == table_tally::outcome::failed && table.result != table_tally::outcome::failed;
  table.read += part.read;
  table.inserted += part.inserted;
  table.failed += part.failed;
  table.deleted_skipped += part.deleted_skipped;
  table.deleted += part.deleted;
  if (!part.target.empty()) table.target = part.target;
  if (weight(part.result) > weight(table.result)) table.result = part.result;
  e.last = ++ended_ == parts_;
  return e;
}

std::vector<table_parts::range> table_parts::share(const std::vector<range>& ranges, std::size_t index) const {
  std::vector<range> mine;
  for (std::size_t i = index; i < ranges.size(); i += parts_) mine.push_back(ranges[i]);
  return mine;
}
