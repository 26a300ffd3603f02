// A file seen as bytes at offsets, read and written whole through a subclass.
#pragma once

#include <cstdint>
#include <string>

class tk_file {
 public:
  static constexpr unsigned written = 1;  // the file is written on flush
  static constexpr unsigned created = 3;  // written, and created anew (truncated)

  // An empty name is an internal error. A file opened for reading only must
  // exist, else "Bad path or busy with another process" (level 1).
  tk_file(const std::string& file_name, unsigned flags);
  virtual ~tk_file();
  tk_file(const tk_file&) = delete;
  tk_file& operator=(const tk_file&) = delete;

  virtual void get_at(std::uint32_t offset, void* out, std::uint32_t length) = 0;
  virtual std::uint8_t read_byte(std::uint32_t offset) = 0;
  virtual std::uint16_t read_word(std::uint32_t offset) = 0;
  virtual std::uint32_t read_dword(std::uint32_t offset) = 0;
  virtual void put_at(std::uint32_t offset, const void* data, std::uint32_t length) = 0;
  virtual std::uint32_t get_size() const = 0;

  const std::string& file_name() const { return name_; }
  unsigned flags() const { return flags_; }

 private:
  std::string name_;
  unsigned flags_;
};
