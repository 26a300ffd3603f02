// One open key of the per-user settings store (the registry on Windows), with
// typed reads and writes. Operations return Windows system error codes (0 on
// success) so that callers treat any other value as "not available".
//
// Every read loads the store file anew. Writes are held by the key until
// flush() or close(), which replace the file once, atomically, with these
// values laid over what the file holds at that moment: storing a whole set
// of settings is one replace, and several keys and several processes still
// see each other's values.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tk_reg_store.hpp"

enum class tk_reg_root { none, current_user };

class tk_reg_key {
 public:
  static constexpr int error_success = 0;
  static constexpr int error_file_not_found = 2;
  static constexpr int error_path_not_found = 3;
  static constexpr int error_invalid_handle = 6;
  static constexpr int error_invalid_data = 13;
  static constexpr int error_write_fault = 29;
  static constexpr int error_more_data = 234;

  // The store file; empty means tk_reg_store::default_path(). When the
  // account has no folder for it, every open fails (error_path_not_found).
  explicit tk_reg_key(std::string store_path = {});
  ~tk_reg_key() { close(); }
  tk_reg_key(const tk_reg_key&) = delete;
  tk_reg_key& operator=(const tk_reg_key&) = delete;

  // Opens (creating when missing) the key `path` under `root`; a null root
  // is an internal error. On failure the previously open key stays open.
  int open(tk_reg_root root, const std::string& path);
  // Writes the values set since the last flush in one atomic replace of the
  // store file; error_write_fault when that fails (the values are dropped).
  int flush();
  // Flushes and closes; a failing flush is only traced here.
  void close();
  bool is_open() const { return open_; }

  int get_value(std::uint32_t& value, const char* name);
  // Reads a wide-string value into `buffer` of `*size` bytes; a null buffer
  // only asks for the size. `*size` becomes the value's size in bytes, the
  // terminating zero included.
  int get_value(char16_t* buffer, const char* name, std::uint32_t* size);
  // Held until the next flush or close.
  int set_value(std::uint32_t value, const char* name);
  int set_value(const char16_t* text, const char* name);

  // The typed exchanges of the settings: `saving` writes the variable, else
  // it is read. False when no key is open or the store fails; a failed read
  // leaves the variable unchanged. A bool is stored as 0 or 1.
  bool exchange(bool saving, std::uint32_t& value, const char* name);
  bool exchange(bool saving, bool& value, const char* name);
  bool exchange(bool saving, std::u16string& value, const char* name);

  // Empty when the account has no folder for the store.
  const std::string& store_path() const { return store_path_; }

 private:
  int write(const char* name, tk_reg_value value);
  // The value as this key sees it: written and not yet flushed, else stored.
  const tk_reg_value* find(const char* name, const tk_reg_store& store) const;

  std::string store_path_;
  std::string path_;
  bool open_ = false;
  std::map<std::string, tk_reg_value> pending_;
};
