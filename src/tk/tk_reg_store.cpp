#include "tk_reg_store.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "tk_convert.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

// Reads a quoted string starting at `at` (the opening quote); moves `at`
// past the closing quote. Nothing when the text is not well formed.
std::optional<std::string> unquote(const std::string& line, std::size_t& at) {
  if (at >= line.size() || line[at] != '"') return {};
  std::string out;
  for (++at; at < line.size(); ++at) {
    char c = line[at];
    if (c == '"') {
      ++at;
      return out;
    }
    if (c == '\\') {
      if (++at == line.size()) return {};
      char e = line[at];
      if (e == 'n') out += '\n';
      else if (e == 'r') out += '\r';
      else if (e == '\\' || e == '"') out += e;
      else return {};
    } else {
      out += c;
    }
  }
  return {};
}

std::optional<std::uint32_t> parse_dword(const std::string& hex) {
  if (hex.size() != 8) return {};
  std::uint32_t value = 0;
  for (char c : hex) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return {};
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::optional<tk_reg_value> parse_value(const std::string& data) {
  tk_reg_value value;
  if (data.rfind("dword:", 0) == 0) {
    auto dword = parse_dword(data.substr(6));
    if (!dword) return {};
    value.dword = *dword;
    return value;
  }
  std::size_t at = 0;
  auto text = unquote(data, at);
  if (!text || at != data.size() || !tk_system_to_wide(*text, value.text)) return {};
  value.type = tk_reg_value::reg_sz;
  return value;
}

int make_folders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

int write_all(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return errno ? errno : EIO;
    done += static_cast<std::size_t>(n);
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

tk_reg_store::tk_reg_store(std::string path) : path_(std::move(path)) { load(); }

std::string tk_reg_store::default_path() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/Tolvane/Vesper.reg";
  std::string home = home_folder();
  return home.empty() ? std::string() : home + "/.config/Tolvane/Vesper.reg";
}

// Never a shared folder such as /tmp: another user could read the password
// there, or plant settings for this one.
std::string tk_reg_store::home_folder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  passwd entry{};
  passwd* found = nullptr;
  std::string buffer(16384, '\0');
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return {};
  return found->pw_dir && found->pw_dir[0] == '/' ? std::string(found->pw_dir) : std::string();
}

void tk_reg_store::load() {
  std::ifstream in(path_, std::ios::binary);
  std::string line, key;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    parse_line(line, key);
  }
}

void tk_reg_store::parse_line(const std::string& line, std::string& key) {
  if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
    key = line.substr(1, line.size() - 2);
    return;
  }
  std::size_t at = 0;
  auto name = unquote(line, at);
  if (!name || key.empty() || at >= line.size() || line[at] != '=') {
    if (!line.empty()) tk_log(1, "Settings line ignored: %s", line);
    return;
  }
  auto value = parse_value(line.substr(at + 1));
  if (value)
    keys_[key][*name] = *value;
  else
    tk_log(1, "Settings line ignored: %s", line);
}

const tk_reg_value* tk_reg_store::find(const std::string& key, const std::string& name) const {
  auto k = keys_.find(key);
  if (k == keys_.end()) return nullptr;
  auto v = k->second.find(name);
  return v == k->second.end() ? nullptr : &v->second;
}

void tk_reg_store::set(const std::string& key, const std::string& name, tk_reg_value value) {
  keys_[key][name] = std::move(value);
}

std::string tk_reg_store::serialize() const {
  std::string text;
  for (const auto& [key, values] : keys_) {
    text += "[" + key + "]\n";
    for (const auto& [name, value] : values) {
      text += "\"" + escaped(name) + "\"=";
      if (value.type == tk_reg_value::reg_dword)
        text += tk_format("dword:%08x\n", value.dword);
      else
        text += "\"" + escaped(tk_utf16_to_utf8_lenient(value.text)) + "\"\n";
    }
  }
  return text;
}

int tk_reg_store::save() const {
  if (int error = make_folders(path_)) return error;
  std::string temporary = path_ + tk_format(".%d.tmp", static_cast<int>(::getpid()));
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  int error = ::fchmod(fd, 0600) == 0 ? write_all(fd, serialize()) : errno;
  ::close(fd);
  if (!error && ::rename(temporary.c_str(), path_.c_str()) != 0) error = errno;
  if (error) ::unlink(temporary.c_str());
  return error;
}
