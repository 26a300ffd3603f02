// The emulation's home folder: one SQLite file per service, a file of net service names
// (aliases) and the emulated listener's settings. OCIServerAttach resolves connect strings
// here.
#pragma once

#include <string>
#include <vector>

namespace ociemu {

class emu_home {
 public:
  // $OCIEMU_HOME, or ~/.ociemu when it is not set.
  static emu_home from_environment();
  explicit emu_home(std::string folder) : folder_(std::move(folder)) {}

  const std::string& folder() const { return folder_; }
  std::string service_file(const std::string& service) const;
  std::string aliases_file() const { return folder_ + "/aliases"; }
  std::string listener_file() const { return folder_ + "/listener"; }
  std::string wallet_file() const { return folder_ + "/wallet"; }
  int listener_port() const;  // 1521 unless "port=N" is in the listener file

  // The service file a connect string reaches: an alias, //host[:port]/service or a
  // (DESCRIPTION=...) descriptor. Raises ORA-12154, ORA-12545, ORA-12541 or ORA-12514.
  std::string resolve(const std::string& connect_string) const;

  void add_alias(const std::string& alias, const std::string& target) const;
  // The wallet's credentials for a connect string (as the client gave it,
  // case ignored), for a session begun with external credentials: false
  // when it holds none.
  bool wallet_credential(const std::string& connect_string, std::string& user, std::string& password) const;
  // Stores a credential in the wallet, a file readable by its owner only.
  void add_credential(const std::string& connect_string, const std::string& user,
                      const std::string& password) const;
  std::vector<std::string> services() const;

 private:
  std::string lookup_alias(const std::string& alias) const;
  std::string resolve_address(const std::string& host, int port, const std::string& service) const;

  std::string folder_;
};

}  // namespace ociemu
