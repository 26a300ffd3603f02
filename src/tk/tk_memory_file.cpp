#include "tk_memory_file.hpp"

#include <cstdio>
#include <cstring>

#include "tk_byte_order.hpp"
#include "tk_exception.hpp"
#include "tk_file_name.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

namespace {

[[noreturn]] void fail(const char* message) { throw tk_exception(message, tk_exception::run_level); }

struct stream_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using stream = std::unique_ptr<std::FILE, stream_closer>;

const char* open_mode(unsigned flags) {
  if ((flags & tk_file::created) == tk_file::created) return "w+b";
  return flags & tk_file::written ? "r+b" : "rb";
}

}  // namespace

tk_memory_file::tk_memory_file(const std::string& file_name, unsigned flags)
    : tk_file(file_name, flags) {
  tk_log(2, "tk_memory_file::ctor");
  initialize();
}

tk_memory_file::~tk_memory_file() {
  tk_log(2, "tk_memory_file::~tk_memory_file");
  if (!(flags() & written)) return;
  try {
    flush();
  } catch (const tk_exception& e) {
    tk_log(3, "Cannot save %s: %s", file_name(), e.message);
  }
}

void tk_memory_file::initialize() {
  tk_log(2, "tk_memory_file::initialize");
  stream file(tk_open_stdio(file_name(), open_mode(flags())));
  if (!file) fail("Error opening file");
  if (std::fseek(file.get(), 0, SEEK_END) != 0) fail("Error reading from file");
  long end = std::ftell(file.get());
  if (end < 0 || static_cast<unsigned long>(end) >= UINT32_MAX) fail("Error reading from file");
  if (std::fseek(file.get(), 0, SEEK_SET) != 0) fail("Error reading from file");
  size_ = capacity_ = static_cast<std::uint32_t>(end);
  buffer_.reset(new std::uint8_t[std::size_t(size_) + 1]());
  if (std::fread(buffer_.get(), 1, size_, file.get()) != size_) fail("Error reading from file");
}

const std::uint8_t* tk_memory_file::get_at(std::uint32_t offset, std::uint32_t length) {
  tk_log(1, "tk_memory_file::get_at(%d,%d)", offset, length);
  if (std::uint64_t(offset) + length > size_) {
    tk_log(2, "Reading out of range: offset=%d, length=%d, file size=%d", offset, length, size_);
    fail("Error reading from file");
  }
  return buffer_.get() + offset;
}

void tk_memory_file::get_at(std::uint32_t offset, void* out, std::uint32_t length) {
  const std::uint8_t* at = get_at(offset, length);
  if (length) std::memcpy(out, at, length);
}

std::uint8_t tk_memory_file::read_byte(std::uint32_t offset) { return *get_at(offset, 1); }

std::uint16_t tk_memory_file::read_word(std::uint32_t offset) {
  const std::uint8_t* b = get_at(offset, 2);
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

std::uint32_t tk_memory_file::read_dword(std::uint32_t offset) {
  return tk_read_le32(get_at(offset, 4));
}

void tk_memory_file::put_at(std::uint32_t offset, const void* data, std::uint32_t length) {
  tk_log(1, "tk_memory_file::put_at(%d,%d)", offset, length);
  std::uint64_t end = std::uint64_t(offset) + length;
  if (end >= UINT32_MAX) fail("Cannot write into file");
  if (end > size_) set_size(static_cast<std::uint32_t>(end));
  if (length) std::memcpy(buffer_.get() + offset, data, length);
}

void tk_memory_file::set_size(std::uint32_t size) {
  tk_log(1, "tk_memory_file::set_size(%d)", size);
  if (size > capacity_) {
    std::unique_ptr<std::uint8_t[]> grown(new std::uint8_t[std::size_t(size) + 1]());
    std::memcpy(grown.get(), buffer_.get(), size_);
    buffer_ = std::move(grown);
    capacity_ = size;
  } else if (size > size_) {
    std::memset(buffer_.get() + size_, 0, size - size_);
  }
  size_ = size;
}

void tk_memory_file::flush() {
  tk_log(2, "tk_memory_file::flush");
  if (!(flags() & written)) TK_ASSERTION_FAILED();
  stream file(tk_open_stdio(file_name(), "w+b"));
  if (!file) fail("Error opening file");
  if (std::fwrite(buffer_.get(), 1, size_, file.get()) != size_) fail("Cannot write into file");
  if (std::fclose(file.release()) != 0) fail("Cannot write into file");
}
