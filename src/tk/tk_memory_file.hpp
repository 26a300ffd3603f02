// A whole file held in memory: loaded at construction, read and patched at
// offsets, written back by flush (and by the destructor when it is written).
// Offsets and sizes are 32-bit: it serves table files the program writes.
// Failures are level-1 tk_exception: "Error opening file", "Error reading
// from file", "Cannot write into file".
#pragma once

#include <memory>

#include "tk_file.hpp"

class tk_memory_file : public tk_file {
 public:
  tk_memory_file(const std::string& file_name, unsigned flags);
  ~tk_memory_file() override;

  // A pointer to `length` bytes at `offset`, valid until the next growth.
  const std::uint8_t* get_at(std::uint32_t offset, std::uint32_t length);
  void get_at(std::uint32_t offset, void* out, std::uint32_t length) override;
  std::uint8_t read_byte(std::uint32_t offset) override;
  std::uint16_t read_word(std::uint32_t offset) override;
  std::uint32_t read_dword(std::uint32_t offset) override;
  // Grows the file (zero-filled) when the data reaches past its end.
  void put_at(std::uint32_t offset, const void* data, std::uint32_t length) override;
  void set_size(std::uint32_t size);
  std::uint32_t get_size() const override { return size_; }
  // Writes the whole contents back; only a written file may be flushed.
  void flush();

 private:
  void initialize();

  std::unique_ptr<std::uint8_t[]> buffer_;
  std::uint32_t capacity_ = 0;
  std::uint32_t size_ = 0;
};
