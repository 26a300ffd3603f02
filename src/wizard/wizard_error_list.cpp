#include "wizard_error_list.hpp"

void wizard_error_list::add(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (items_.size() < limit) items_.push_back(text);
}

std::vector<std::string> wizard_error_list::items() const {
  std::lock_guard lock(mutex_);
  return items_;
}

void wizard_error_list::clear() {
  std::lock_guard lock(mutex_);
  items_.clear();
}
