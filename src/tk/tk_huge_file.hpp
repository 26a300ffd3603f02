// Positioned reads with 64-bit offsets on a file that stays on disk. Every
// DBF table file and memo file is read through it, so tables of any size are
// read without loading them.
//
// Errors of one file are errors of the table it belongs to: they carry level
// 0 (the table is lost, the run goes on with the next one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class tk_huge_file {
 public:
  // Opens an existing regular file for reading. Anything else (missing
  // file, folder, device) raises "Error opening file".
  explicit tk_huge_file(const std::string& file_name);
  virtual ~tk_huge_file();
  tk_huge_file(const tk_huge_file&) = delete;
  tk_huge_file& operator=(const tk_huge_file&) = delete;

  // The size when the file was opened: the files read through this class
  // are not written while they are read.
  std::uint64_t get_size() const { return size_; }

  // Reads exactly `count` bytes at `offset`; fewer (end of file) raises
  // "Error reading from file", a failing system call tk_exception_ex.
  void read(std::uint64_t offset, void* buffer, std::size_t count);
  std::uint8_t read_byte(std::uint64_t offset);
  std::uint32_t read_dword(std::uint64_t offset);

  // Reads up to `count` bytes at `offset` and returns how many there were:
  // fewer only at the end of the file. The one seam where tests fail a read.
  virtual std::size_t read_some(std::uint64_t offset, void* buffer, std::size_t count);

  const std::string& file_name() const { return name_; }

 private:
  // Reads at a checked position until `count` bytes or the end of the file.
  std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count);

  std::string name_;
  int fd_ = -1;  // a C runtime descriptor on Windows too
  std::uint64_t size_ = 0;
};
