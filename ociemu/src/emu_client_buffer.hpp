// Reading values from client bind buffers and writing fetched values into define and
// out-bind buffers, for each external data type (SQLT_*) the emulation supports.
#pragma once

#include "emu_handles.hpp"

namespace ociemu {

// Descriptor types (LOB, datetime, rowid) travel as pointers: arrays of them step by the
// pointer size whatever value_sz says.
bool is_descriptor_type(ub2 dty);
std::size_t element_size(ub2 dty, sb4 value_size);

struct emu_write_result {
  ub4 length = 0;           // bytes stored (without a terminator)
  ub4 full_length = 0;      // bytes the whole value needed
  bool truncated = false;
};

class emu_client_buffer {
 public:
  // The value in a client buffer of `bytes` bytes (NULL handling is the caller's).
  static emu_value read(const emu_env& env, const void* data, std::size_t bytes, ub2 dty);

  // Writes `value` (of column type `type`) as `dty` into `data` with room for `capacity`
  // bytes. LOB locators are filled by the caller. Raises ORA-03115 for an unsupported dty,
  // ORA-01455 for an integer overflow, ORA-01722 for text that is no number.
  static emu_write_result write(const emu_env& env, const emu_value& value, ub2 dty, void* data,
                                std::size_t capacity);

 private:
  static emu_write_result write_text(const emu_env& env, const std::u16string& text, ub2 dty,
                                     void* data, std::size_t capacity);
  static emu_write_result write_integer(const emu_value& value, void* data, std::size_t capacity, bool is_unsigned);
  static emu_write_result write_float(const emu_value& value, void* data, std::size_t capacity);
  static emu_write_result write_bytes(const std::string& bytes, void* data, std::size_t capacity);
  static emu_write_result write_date(const emu_value& value, ub2 dty, void* data);
};

}  // namespace ociemu
