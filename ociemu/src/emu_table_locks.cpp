#include "emu_table_locks.hpp"

#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

#include "emu_text.hpp"

#if defined(__linux__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace ociemu {

namespace {

// FNV-1a of the name: the byte of the lock file that stands for the table.
// 2^40 places make two names of one service meeting on one byte unlikely
// enough (a false ORA-00054 at worst, never a missed one).
std::int64_t place_of(const std::u16string& table) {
  std::uint64_t h = 1469598103934665603ULL;
  for (const unsigned char c : to_utf8(table)) h = (h ^ c) * 1099511628211ULL;
  return static_cast<std::int64_t>(1 + h % (1ULL << 40));
}

#if defined(__linux__) && defined(F_OFD_SETLK)

bool set_lock(int fd, short type, std::int64_t place, std::int64_t length, bool wait) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = place;
  lock.l_len = length;
  return fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0;
}

int open_lock_file(const std::string& file) { return ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600); }
void close_lock_file(int fd) {
  if (fd >= 0) ::close(fd);
}

#else

// One process: each place lists its holders, the sessions' own numbers.
struct process_locks {
  std::mutex mutex;
  std::map<std::pair<std::string, std::int64_t>, std::multiset<int>> shared;
  int next = 0;
};

process_locks& registry() {
  static process_locks locks;
  return locks;
}

#endif

}  // namespace

#if defined(__linux__) && defined(F_OFD_SETLK)

emu_table_locks::emu_table_locks(const std::string& service_file)
    : file_(service_file + "-locks"), fd_(open_lock_file(file_)) {}

emu_table_locks::~emu_table_locks() { close_lock_file(fd_); }

void emu_table_locks::share(const std::u16string& table) {
  if (fd_ < 0 || !shared_.insert(table).second) return;
  // A DDL's look at the byte lasts a moment: waiting for it is safe.
  set_lock(fd_, F_RDLCK, place_of(table), 1, true);
}

bool emu_table_locks::try_exclusive(const std::u16string& table) {
  if (fd_ < 0) return true;  // no lock file: this session cannot hold one either
  const std::int64_t place = place_of(table);
  if (!set_lock(fd_, F_WRLCK, place, 1, false)) return false;
  // This session's own DML lock (if any) becomes a shared one again.
  set_lock(fd_, shared_.count(table) ? F_RDLCK : F_UNLCK, place, 1, false);
  return true;
}

void emu_table_locks::release() {
  if (fd_ >= 0 && !shared_.empty()) set_lock(fd_, F_UNLCK, 0, 0, false);
  shared_.clear();
}

#else

emu_table_locks::emu_table_locks(const std::string& service_file) : file_(service_file) {
  std::lock_guard<std::mutex> guard(registry().mutex);
  fd_ = registry().next++;
}

emu_table_locks::~emu_table_locks() { release(); }

void emu_table_locks::share(const std::u16string& table) {
  if (!shared_.insert(table).second) return;
  std::lock_guard<std::mutex> guard(registry().mutex);
  registry().shared[{file_, place_of(table)}].insert(fd_);
}

bool emu_table_locks::try_exclusive(const std::u16string& table) {
  std::lock_guard<std::mutex> guard(registry().mutex);
  const auto found = registry().shared.find({file_, place_of(table)});
  if (found == registry().shared.end()) return true;
  return found->second.size() == found->second.count(fd_);
}

void emu_table_locks::release() {
  std::lock_guard<std::mutex> guard(registry().mutex);
  for (const auto& table : shared_) {
    const auto found = registry().shared.find({file_, place_of(table)});
    if (found == registry().shared.end()) continue;
    found->second.erase(fd_);
    if (found->second.empty()) registry().shared.erase(found);
  }
  shared_.clear();
}

#endif

bool emu_table_locks::free_for_ddl(const std::u16string& table, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (!try_exclusive(table)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace ociemu
