#include "udb_profile.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>

#include "tk_convert.hpp"
#include "tk_exception.hpp"
#include "tk_file_name.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_private_file.hpp"
#include "tk_trim.hpp"

namespace {

const char* const missing_file = "Profile does not exist. Please verify the correct path/name was given.";
const char* const long_line = "The profile has a line longer than 4095 bytes.";

// What one line of the file says, once trimmed.
struct line_meaning {
  enum kind_t { blank, header, key_value, other } kind;
  std::u16string name;   // section name or key
  std::u16string value;
};

line_meaning meaning_of(const std::u16string& trimmed) {
  if (trimmed.empty()) return {line_meaning::blank, {}, {}};
  if (trimmed.size() >= 2 && trimmed.front() == u'[' && trimmed.back() == u']')
    return {line_meaning::header, trimmed.substr(1, trimmed.size() - 2), {}};
  std::size_t equals = trimmed.find(u'=');
  if (equals == std::u16string::npos) return {line_meaning::other, trimmed, {}};
  return {line_meaning::key_value, tk_trim(std::u16string_view(trimmed).substr(0, equals)),
          trimmed.substr(equals + 1)};
}

bool has_line_break(const std::u16string& text) {
  return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string::npos;
}

// True when the written line reads back as `key` with `value` (or, for a
// name-only line, as the key alone).
bool reads_back(const std::u16string& line, const std::u16string& key, const std::u16string& value) {
  if (has_line_break(line)) return false;
  line_meaning m = meaning_of(tk_trim(line));
  if (m.kind == line_meaning::other) return value.empty() && m.name == key;
  return m.kind == line_meaning::key_value && m.name == key && m.value == value;
}

// Reads one line of at most max_line_bytes (not counting its CR LF or LF).
// False at the end of the input.
bool next_line(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  if (!buffer) return false;
  bool any = false;
  for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
    any = true;
    if (c == '\n') break;
    line.push_back(static_cast<char>(c));
    if (line.size() > udb_profile::max_line_bytes + 1)  // room for the CR of CR LF
      throw tk_exception(long_line, tk_exception::run_level);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > udb_profile::max_line_bytes) throw tk_exception(long_line, tk_exception::run_level);
  return any;
}

class line_writer {
 public:
  explicit line_writer(const std::u16string& section) : section_(section) {}

  void add(std::string& text, const std::u16string& line) const {
    std::string bytes = tk_to_utf8(line);
    if (bytes.size() > udb_profile::max_line_bytes)
      throw tk_exception(tk_format(u"The profile cannot keep a line of %d bytes in section '%s'.",
                                   bytes.size(), section_));
    text += bytes;
    text += '\n';
  }

  [[noreturn]] void refuse(const std::u16string& what) const {
    throw tk_exception(tk_format(u"The profile cannot keep %s in section '%s' as it is.", what, section_));
  }

 private:
  const std::u16string& section_;
};

}  // namespace

void udb_profile::set_value(const std::u16string& name, const std::u16string& key, const std::u16string& value) {
  values_[name].emplace(key, value);
}

std::u16string udb_profile::get_value(const std::u16string& name, const std::u16string& key) const {
  auto found = values_.find(name);
  if (found == values_.end()) return {};
  auto value = found->second.find(key);
  return value == found->second.end() ? std::u16string() : value->second;
}

bool udb_profile::has_section(const std::u16string& name) const { return values_.count(name) > 0; }

const udb_profile::section& udb_profile::get_section(const std::u16string& name) const {
  auto found = values_.find(name);
  if (found == values_.end()) throw tk_exception(std::string());
  return found->second;
}

void udb_profile::add_line(const std::u16string& name, const std::u16string& line) {
  lines_[name].push_back(line);
  source_lines_[name].push_back(line);
}

std::vector<std::u16string> udb_profile::get_lines(const std::u16string& name) const {
  auto found = lines_.find(name);
  return found == lines_.end() ? std::vector<std::u16string>() : found->second;
}

std::vector<std::u16string> udb_profile::get_source_lines(const std::u16string& name) const {
  auto found = source_lines_.find(name);
  return found == source_lines_.end() ? std::vector<std::u16string>() : found->second;
}

std::string udb_profile::to_text() const {
  std::string text;
  for (const auto& [name, keys] : values_) {
    line_writer out(name);
    if (has_line_break(name)) out.refuse(u"its name");
    out.add(text, u"[" + name + u"]");
    for (const auto& [key, value] : keys) {
      bool name_only = value.empty() && name == selected_tables;
      std::u16string line = name_only ? key : key + u"=" + value;
      if (!reads_back(line, key, value)) out.refuse(tk_wformat(u"the entry '%s'", key));
      out.add(text, line);
    }
    text += '\n';
  }
  for (const auto& [name, lines] : lines_) {
    line_writer out(name);
    if (has_line_break(name)) out.refuse(u"its name");
    out.add(text, u"[" + name + u"]");
    for (const std::u16string& line : lines) {
      line_meaning m = meaning_of(tk_trim(line));
      if (has_line_break(line) || m.kind == line_meaning::blank || m.kind == line_meaning::header)
        out.refuse(tk_wformat(u"the line '%s'", line));
      out.add(text, line);
    }
  }
  return text;
}

bool udb_profile::store(const std::string& path) const {
  tk_log(2, "udb_profile::store)");
  std::string text = to_text();
  return tk_write_private_file(path, text);
}

bool udb_profile::load(const std::string& path) {
  tk_log(2, "udb_profile::load(%s)", path);
  std::error_code error;
  std::filesystem::file_status status = std::filesystem::status(tk_native_path(path), error);
  if (status.type() == std::filesystem::file_type::not_found)
    throw tk_exception(missing_file, tk_exception::run_level);
  if (status.type() != std::filesystem::file_type::regular) return false;
  std::ifstream in(tk_native_path(path), std::ios::binary);
  if (!in) return false;
  return read(in);
}

bool udb_profile::read(std::istream& in) {
  std::u16string current;
  bool in_section = false;
  std::string bytes;
  for (bool first = true; next_line(in, bytes); first = false) {
    if (first && bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    if (!read_line(tk_utf8_to_ucs2(bytes), current, in_section)) return false;
  }
  return true;
}

bool udb_profile::read_line(const std::u16string& raw, std::u16string& current, bool& in_section) {
  line_meaning m = meaning_of(tk_trim(raw));
  switch (m.kind) {
    case line_meaning::blank:
      return true;
    case line_meaning::header:
      current = m.name;
      in_section = true;
      values_[current];
      return true;
    case line_meaning::key_value:
      if (!in_section) return false;
      set_value(current, m.name, m.value);
      source_lines_[current].push_back(raw);
      return true;
    case line_meaning::other:
      if (!in_section) return false;
      add_line(current, raw);
      set_value(current, m.name, u"");
      return true;
  }
  return true;
}
