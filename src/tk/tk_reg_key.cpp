#include "tk_reg_key.hpp"

#include <cstring>
#include <mutex>

#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

namespace {
// Writers of this process take turns: each rewrites the whole file.
std::mutex store_mutex;
}  // namespace

tk_reg_key::tk_reg_key(std::string store_path)
    : store_path_(store_path.empty() ? tk_reg_store::default_path() : std::move(store_path)) {}

int tk_reg_key::open(tk_reg_root root, const std::string& path) {
  if (root == tk_reg_root::none) TK_ASSERTION_FAILED();
  if (path.empty()) return error_invalid_data;
  if (store_path_.empty()) return error_path_not_found;
  close();
  path_ = path;
  open_ = true;
  return error_success;
}

void tk_reg_key::close() {
  if (open_ && flush() != error_success) tk_log(1, "Settings of %s were not saved", path_);
  open_ = false;
  path_.clear();
}

int tk_reg_key::flush() {
  if (pending_.empty()) return error_success;
  std::lock_guard<std::mutex> lock(store_mutex);
  tk_reg_store store(store_path_);
  for (auto& [name, value] : pending_) store.set(path_, name, std::move(value));
  pending_.clear();
  int error = store.save();
  if (error) tk_log(1, "Cannot save settings to %s: errno %d", store_path_, error);
  return error ? error_write_fault : error_success;
}

const tk_reg_value* tk_reg_key::find(const char* name, const tk_reg_store& store) const {
  auto held = pending_.find(name);
  return held != pending_.end() ? &held->second : store.find(path_, name);
}

int tk_reg_key::get_value(std::uint32_t& value, const char* name) {
  if (!name) TK_ASSERTION_FAILED();
  tk_log(2, "tk_reg_key::get_value(ulong, %s)", name);
  if (!open_) return error_invalid_handle;
  tk_reg_store store(store_path_);
  const tk_reg_value* found = find(name, store);
  if (!found) return error_file_not_found;
  tk_log(1, "type=%d, size=%d", found->type,
         found->type == tk_reg_value::reg_dword ? 4 : int(found->text.size() * 2 + 2));
  if (found->type != tk_reg_value::reg_dword) return error_invalid_data;
  value = found->dword;
  return error_success;
}

int tk_reg_key::get_value(char16_t* buffer, const char* name, std::uint32_t* size) {
  if (!size) TK_ASSERTION_FAILED();
  if (!name) TK_ASSERTION_FAILED();
  tk_log(2, "tk_reg_key::get_value(LPWSTR, %s)", name);
  if (!open_) return error_invalid_handle;
  tk_reg_store store(store_path_);
  const tk_reg_value* found = find(name, store);
  if (!found) return error_file_not_found;
  if (found->type != tk_reg_value::reg_sz) return error_invalid_data;
  auto needed = static_cast<std::uint32_t>(found->text.size() * 2 + 2);
  tk_log(1, "type=%d, size=%d", found->type, needed);
  std::uint32_t room = *size;
  *size = needed;
  if (!buffer) return error_success;
  if (room < needed) return error_more_data;
  std::memcpy(buffer, found->text.c_str(), needed);
  return error_success;
}

int tk_reg_key::write(const char* name, tk_reg_value value) {
  pending_[name] = std::move(value);
  return error_success;
}

int tk_reg_key::set_value(std::uint32_t value, const char* name) {
  if (!open_) TK_ASSERTION_FAILED();
  if (!name) TK_ASSERTION_FAILED();
  tk_reg_value stored;
  stored.dword = value;
  return write(name, stored);
}

int tk_reg_key::set_value(const char16_t* text, const char* name) {
  if (!text) TK_ASSERTION_FAILED();
  if (!open_) TK_ASSERTION_FAILED();
  if (!name) TK_ASSERTION_FAILED();
  tk_reg_value stored;
  stored.type = tk_reg_value::reg_sz;
  stored.text = text;
  return write(name, stored);
}

bool tk_reg_key::exchange(bool saving, std::uint32_t& value, const char* name) {
  if (!open_) return false;
  if (saving) return set_value(value, name) == error_success;
  return get_value(value, name) == error_success;
}

bool tk_reg_key::exchange(bool saving, bool& value, const char* name) {
  std::uint32_t stored = value ? 1 : 0;
  bool done = exchange(saving, stored, name);
  if (done) value = stored != 0;
  return done;
}

bool tk_reg_key::exchange(bool saving, std::u16string& value, const char* name) {
  if (!open_) return false;
  if (saving) return set_value(value.c_str(), name) == error_success;
  std::uint32_t size = 0;
  if (get_value(nullptr, name, &size) != error_success || size == 0) return false;
  std::u16string buffer(size / 2, u'\0');
  if (get_value(buffer.data(), name, &size) != error_success) return false;
  value.assign(buffer.c_str());
  return true;
}
