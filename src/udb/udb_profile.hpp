// A profile: a whole conversion setup in a text file (extension "vpx").
//
// The file is UTF-8 without a byte-order mark, one setting a line:
//
//   [Generic settings]          key/value sections first, in code-unit order
//   dest=XE
//   src=/data/shop
//
//   [Type Mappings]             then line sections, each line as stored
//   database:
//   ...
//
// Lines end with LF here; CR LF is read as well, and so is a leading
// byte-order mark. Values are written as they are held, with no quoting, so
// writing refuses anything that would not read back the same (a line break,
// a key holding "=", a value ending in a space, a line over 4095 bytes)
// rather than write a file that says something else.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

class udb_profile {
 public:
  using section = std::map<std::u16string, std::u16string>;
  static constexpr std::size_t max_line_bytes = 4095;
  // The one section whose keys with empty values are written as names alone.
  static constexpr const char16_t* selected_tables = u"Selected Tables";

  // Keeps the first value of a key.
  void set_value(const std::u16string& name, const std::u16string& key, const std::u16string& value);
  // Empty when the key or its section is absent.
  std::u16string get_value(const std::u16string& name, const std::u16string& key) const;
  bool has_section(const std::u16string& name) const;
  // A whole key/value section; an absent one raises tk_exception ("Unknown exception").
  const section& get_section(const std::u16string& name) const;

  void add_line(const std::u16string& name, const std::u16string& line);
  // The lines of a line section (empty when absent).
  std::vector<std::u16string> get_lines(const std::u16string& name) const;
  // The lines of a line section together with the lines holding "=" that
  // reading took as keys, in file order and untrimmed. Readers of free-form
  // sections use these so that no line is lost.
  std::vector<std::u16string> get_source_lines(const std::u16string& name) const;

  // Writes the file with mode 0600 (it may hold a password). False when it
  // cannot be opened or written. A setting the file could not carry raises
  // tk_exception (level 0) before the file is touched.
  bool store(const std::string& path) const;
  // A missing file raises the level-1 tk_exception; false when the file
  // cannot be read or has content before its first section header. A line
  // over 4095 bytes raises the level-1 tk_exception.
  bool load(const std::string& path);

  // The file's text; reading it back. What store and load use.
  std::string to_text() const;
  bool read(std::istream& in);

 private:
  bool read_line(const std::u16string& raw, std::u16string& current, bool& in_section);

  std::map<std::u16string, section> values_;
  std::map<std::u16string, std::vector<std::u16string>> lines_;
  std::map<std::u16string, std::vector<std::u16string>> source_lines_;
};
