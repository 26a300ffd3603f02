#include "udb_memory_journal.hpp"

std::vector<udb_journal_entry> udb_memory_journal::entries() const {
  std::vector<udb_journal_entry> entries;
  if (!exists_) return entries;
  for (const auto& [source, entry] : entries_) entries.push_back(entry);
  return entries;
}

void udb_memory_journal::start_table(const udb_journal_entry& entry) {
  current_ = entry.source;
  udb_journal_entry& kept = entries_[current_] = entry;
  kept.last_record = 0;
  kept.finished = false;
  mine_.push_back(current_);
}

void udb_memory_journal::advance(std::uint64_t number) {
  const auto entry = entries_.find(current_);
  if (entry != entries_.end()) entry->second.last_record = number;
}

void udb_memory_journal::finish_table() {
  const auto entry = entries_.find(current_);
  if (entry != entries_.end()) entry->second.finished = true;
}

void udb_memory_journal::remove() {
  for (const std::u16string& source : mine_) entries_.erase(source);
  mine_.clear();
  if (entries_.empty()) exists_ = false;
}

void udb_memory_journal::finish_entry(const std::u16string& source) {
  const auto entry = entries_.find(source);
  if (entry != entries_.end()) entry->second.finished = true;
}
