#include "emu_home.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "emu_error.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string lower(std::string s) {
  for (auto& c : s) c = ascii_lower(c);
  return s;
}

// This machine's name, or empty when the system does not say.
std::string own_host_name() {
  char name[256] = {0};
#ifdef _WIN32
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) return {};
#else
  if (gethostname(name, sizeof name - 1) != 0) return {};
#endif
  return name;
}

bool is_local_host(const std::string& host) {
  const std::string h = lower(host);
  if (h == "localhost" || h == "127.0.0.1" || h == "::1" || h == "[::1]" ||
      h == "localhost.localdomain")
    return true;
  if (const std::string name = own_host_name(); !name.empty()) {
    const std::string own = lower(name);
    if (h == own || h.rfind(own + ".", 0) == 0) return true;
  }
  return false;
}

// Value of KEY=value inside a (DESCRIPTION=...) text, case ignored.
std::string descriptor_value(const std::string& text, const std::string& key) {
  const std::string upper_text = [&] {
    std::string u = text;
    for (auto& c : u) c = ascii_upper(c);
    return u;
  }();
  auto at = upper_text.find(key);
  while (at != std::string::npos) {
    auto p = at + key.size();
    while (p < text.size() && text[p] == ' ') ++p;
    if (p < text.size() && text[p] == '=') {
      const auto end = text.find(')', p);
      return trim(text.substr(p + 1, end - p - 1));
    }
    at = upper_text.find(key, at + 1);
  }
  return {};
}

}  // namespace

emu_home emu_home::from_environment() {
  if (const char* home = std::getenv("OCIEMU_HOME"); home && *home) return emu_home(home);
#ifdef _WIN32
  const char* user_home = std::getenv("USERPROFILE");
#else
  const char* user_home = std::getenv("HOME");
#endif
  return emu_home(std::string(user_home ? user_home : ".") + "/.ociemu");
}

std::string emu_home::service_file(const std::string& service) const {
  return folder_ + "/" + lower(service) + ".db";
}

int emu_home::listener_port() const {
  std::ifstream in(listener_file());
  std::string line;
  while (std::getline(in, line)) {
    line = trim(line);
    if (lower(line).rfind("port", 0) == 0 && line.find('=') != std::string::npos)
      return std::atoi(line.substr(line.find('=') + 1).c_str());
  }
  return 1521;
}

std::string emu_home::lookup_alias(const std::string& alias) const {
  std::ifstream in(aliases_file());
  std::string line;
  while (std::getline(in, line)) {
    const auto eq = line.find('=');
    if (line.empty() || line[0] == '#' || eq == std::string::npos) continue;
    if (lower(trim(line.substr(0, eq))) == lower(trim(alias))) return trim(line.substr(eq + 1));
  }
  throw ora_error(12154);
}

std::string emu_home::resolve_address(const std::string& host, int port,
                                      const std::string& service) const {
  if (!is_local_host(host)) throw ora_error(12545);
  if (port != listener_port()) throw ora_error(12541);
  const std::string file = service_file(service);
  if (service.empty() || !std::filesystem::exists(file)) throw ora_error(12514);
  return file;
}

std::string emu_home::resolve(const std::string& connect_string) const {
  const std::string text = trim(connect_string);
  if (text.empty()) throw ora_error(12154);
  if (text[0] == '(') {
    const std::string port = descriptor_value(text, "PORT");
    return resolve_address(descriptor_value(text, "HOST"), port.empty() ? 1521 : std::atoi(port.c_str()),
                           descriptor_value(text, "SERVICE_NAME"));
  }
  const bool easy = text.find('/') != std::string::npos || text.find(':') != std::string::npos;
  if (!easy) {
    // An alias names a connect descriptor, an easy-connect address or a bare service name.
    const std::string target = lookup_alias(text);
    const bool bare = target.find_first_of("/:(") == std::string::npos;
    return resolve(bare ? "//localhost:" + std::to_string(listener_port()) + "/" + target : target);
  }
  std::string rest = text.rfind("//", 0) == 0 ? text.substr(2) : text;
  const auto slash = rest.find('/');
  const std::string address = rest.substr(0, slash);
  std::string service = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
  service = service.substr(0, service.find(':'));  // a server type such as :dedicated
  const auto colon = address.rfind(':');
  const bool has_port = colon != std::string::npos && address.find(']') == std::string::npos;
  const std::string host = has_port ? address.substr(0, colon) : address;
  const int port = has_port ? std::atoi(address.substr(colon + 1).c_str()) : 1521;
  return resolve_address(host, port, service);
}

void emu_home::add_alias(const std::string& alias, const std::string& target) const {
  std::filesystem::create_directories(folder_);
  std::ofstream out(aliases_file(), std::ios::app);
  out << alias << " = " << target << "\n";
}

// One credential a line: "connect string = user password".
bool emu_home::wallet_credential(const std::string& connect_string, std::string& user,
                                 std::string& password) const {
  std::ifstream in(wallet_file());
  std::string line;
  while (std::getline(in, line)) {
    const auto eq = line.rfind('=');
    if (line.empty() || line[0] == '#' || eq == std::string::npos) continue;
    if (lower(trim(line.substr(0, eq))) != lower(trim(connect_string))) continue;
    const std::string account = trim(line.substr(eq + 1));
    const auto space = account.find(' ');
    if (space == std::string::npos) continue;
    user = account.substr(0, space);
    password = trim(account.substr(space + 1));
    return true;
  }
  return false;
}

void emu_home::add_credential(const std::string& connect_string, const std::string& user,
                              const std::string& password) const {
  std::filesystem::create_directories(folder_);
  {
    std::ofstream out(wallet_file(), std::ios::app);
    out << connect_string << " = " << user << " " << password << "\n";
  }
  std::filesystem::permissions(wallet_file(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

std::vector<std::string> emu_home::services() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, ec)) {
    if (entry.is_regular_file() && entry.path().extension() == ".db")
      names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace ociemu
