// A shared library loaded at run time (dlopen on POSIX, LoadLibraryW on
// Windows), for clients that must run without it being installed: the
// library stays loaded while the object lives.
#pragma once

#include <memory>
#include <string>
#include <string_view>

class tk_shared_library {
 public:
  // Loads `name` (a bare name searched the loader's way, or a path). The
  // loader's message is kept when that fails.
  explicit tk_shared_library(const std::string& name);
  ~tk_shared_library();
  tk_shared_library(const tk_shared_library&) = delete;
  tk_shared_library& operator=(const tk_shared_library&) = delete;

  bool is_loaded() const { return handle_ != nullptr; }
  // "loaded", or the loader's reason for refusing the library.
  const std::string& message() const { return message_; }
  // The entry point `name`; null when the library lacks it or is not loaded.
  void* symbol(const char* name) const;
  // The file the loader took; "?" when it cannot tell.
  std::string file_path() const;

  // True when `name` is a library file name of this platform ("x.so",
  // "x.so.19.1" on POSIX; "x.dll" on Windows), so that one list of candidate
  // names serves every platform.
  static bool is_platform_name(std::string_view name);
  // The folder of an installation's libraries: "lib" on POSIX, "bin" on Windows.
  static const char* library_folder();

 private:
  void* handle_ = nullptr;
  std::string message_;
};

// Loads the first of `names` that loads and appends each name with the
// loader's answer to `tried`; null when none loads.
std::unique_ptr<tk_shared_library> tk_load_first(const std::string* names, std::size_t count,
                                                 std::string& tried);
