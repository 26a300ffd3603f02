// A path split into its parts, made absolute first. On POSIX the drive is
// always empty and the folder ends with "/"; on Windows the drive is "C:" or
// "\\server\share" and the folder ends with "\". The extension keeps its ".".
// Composition (drive, folder, name, extension) gives back the full path.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

class tk_file_name {
 public:
  // A null path is an internal error; an empty one stands for the running
  // executable with an empty name (its folder and extension remain).
  explicit tk_file_name(const char* path);
  explicit tk_file_name(const std::string& path) : tk_file_name(path.c_str()) {}
  // Empty parts, for tk_split_full_path to fill without a trace line.
  tk_file_name() = default;

  std::string full_path() const { return drive + folder + name + extension; }
  // The folder with its drive: where the file is (the folder alone is
  // relative to the current drive on Windows).
  std::string folder_path() const { return drive + folder; }

  std::string extension;
  std::string drive;
  std::string name;
  std::string folder;
};

class tk_file_wname {
 public:
  explicit tk_file_wname(const char16_t* path);
  explicit tk_file_wname(const std::u16string& path) : tk_file_wname(path.c_str()) {}

  std::u16string full_path() const { return drive + folder + name + extension; }

  std::u16string extension;
  std::u16string drive;
  std::u16string name;
  std::u16string folder;

 private:
  void initialize(const char16_t* path);
};

// The path made absolute against the current directory, with "." and ".."
// steps and repeated slashes removed (without looking at the file system).
std::string tk_full_path(const std::string& path);
// An absolute path (as tk_full_path gives) split into `parts`.
void tk_split_full_path(const std::string& full, tk_file_name& parts);
// `folder` ending in a separator (empty stays empty).
std::string tk_with_separator(const std::string& folder);
std::u16string tk_executable_wpath();

// The path as the C++ library's file classes take it: the same bytes on
// POSIX; on Windows read as UTF-8, so that names outside the ANSI code page
// open too.
std::filesystem::path tk_native_path(const std::string& path);
// std::fopen of such a path.
std::FILE* tk_open_stdio(const std::string& path, const char* mode);
// A path of the C++ library as the program's text again: UTF-8 on every
// platform (path::string() gives the ANSI code page on Windows, or throws
// for a letter it lacks).
std::string tk_path_utf8(const std::filesystem::path& path);
