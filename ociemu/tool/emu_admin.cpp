#include "emu_admin.hpp"

#include <filesystem>
#include <fstream>
#include <memory>

#include "emu_catalog.hpp"
#include "emu_connection.hpp"
#include "emu_home.hpp"
#include "emu_service_settings.hpp"
#include "emu_text.hpp"
#include "emu_sql_client.hpp"

namespace ociemu {

namespace {

struct user_options {
  emu_user user;
  bool ok = true;
};

// USER PASSWORD [--locked] [--no-create-table] [--no-quota] [--no-create-sequence]
//               [--no-create-trigger] [--grant=PRIVILEGE]...
user_options read_user(const std::vector<std::string>& args, std::size_t first) {
  user_options o;
  if (args.size() < first + 2) {
    o.ok = false;
    return o;
  }
  o.user.name = upper_identifier(to_utf16(args[first]));
  o.user.password = to_utf16(args[first + 1]);
  for (std::size_t i = first + 2; i < args.size(); ++i) {
    if (args[i] == "--locked") o.user.locked = true;
    else if (args[i] == "--no-create-table") o.user.create_table = false;
    else if (args[i] == "--no-quota") o.user.quota = false;
    else if (args[i] == "--no-create-sequence") o.user.create_sequence = false;
    else if (args[i] == "--no-create-trigger") o.user.create_trigger = false;
    else if (args[i].rfind("--grant=", 0) == 0) o.user.grants.push_back(ascii_upper_text(args[i].substr(8)));
    else o.ok = false;
  }
  return o;
}

}  // namespace

int emu_admin::usage() {
  err_ << "usage: ociemu COMMAND ...\n"
          "  create-service SERVICE USER PASSWORD [--locked] [--no-create-table] [--no-quota]\n"
          "                 [--no-create-sequence] [--no-create-trigger] [--grant=\"CREATE ANY TABLE\"]...\n"
          "                 [--compatible=19.0.0] [--charset=AL32UTF8] [--length-semantics=BYTE]\n"
          "                 [--messages=19c|23ai]\n"
          "  add-user SERVICE USER PASSWORD [the same options]\n"
          "  add-alias ALIAS SERVICE-OR-ADDRESS\n"
          "  add-tablespace SERVICE NAME\n"
          "  add-credential CONNECT-STRING USER PASSWORD   (the wallet of external logins)\n"
          "  set-port PORT\n"
          "  tables SERVICE USER PASSWORD\n"
          "  sql SERVICE USER PASSWORD STATEMENT\n"
          "The home folder is $OCIEMU_HOME (default ~/.ociemu).\n";
  return 2;
}

int emu_admin::run(const std::vector<std::string>& args) {
  if (args.empty()) return usage();
  const std::string& command = args[0];
  try {
    if (command == "create-service") return create_service(args);
    if (command == "add-user") return add_user(args, false);
    if (command == "add-alias") return add_alias(args);
    if (command == "add-tablespace" && args.size() == 3) return add_tablespace(args);
    if (command == "add-credential" && args.size() == 4) {
      emu_home::from_environment().add_credential(args[1], args[2], args[3]);
      return 0;
    }
    if (command == "set-port" && args.size() == 2) {
      const emu_home home = emu_home::from_environment();
      std::filesystem::create_directories(home.folder());
      std::ofstream(home.listener_file()) << "port=" << args[1] << "\n";
      return 0;
    }
    if (command == "tables") return list_tables(args);
    if (command == "sql") return run_sql(args);
  } catch (const std::exception& e) {
    err_ << e.what() << "\n";
    return 1;
  }
  return usage();
}

int emu_admin::create_service(const std::vector<std::string>& all) {
  std::string compatible = "19.0.0", charset = "AL32UTF8", semantics = "BYTE", messages = "19c";
  std::vector<std::string> args;
  for (const std::string& arg : all) {
    if (arg.rfind("--compatible=", 0) == 0) compatible = arg.substr(13);
    else if (arg.rfind("--charset=", 0) == 0) charset = arg.substr(10);
    else if (arg.rfind("--length-semantics=", 0) == 0) semantics = ascii_upper_text(arg.substr(19));
    else if (arg.rfind("--messages=", 0) == 0) messages = arg.substr(11);
    else args.push_back(arg);
  }
  if (semantics != "BYTE" && semantics != "CHAR") {
    err_ << "unknown length semantics " << semantics << ": use BYTE or CHAR\n";
    return 2;
  }
  if (messages != "19c" && messages != "23ai") {
    err_ << "unknown message style " << messages << ": use 19c or 23ai\n";
    return 2;
  }
  if (!emu_service_settings::parse_compatible(compatible)) {
    err_ << "unknown COMPATIBLE setting " << compatible << ": give a release such as 12.1 or 19.0.0\n";
    return 2;
  }
  if (!emu_service_settings::is_supported_charset(charset)) {
    err_ << "unsupported character set " << charset << ": use AL32UTF8, WE8MSWIN1252, WE8ISO8859P1 or US7ASCII\n";
    return 2;
  }
  if (args.size() < 4 || !read_user(args, 2).ok) return usage();
  const emu_home home = emu_home::from_environment();
  std::filesystem::create_directories(home.folder());
  const std::string file = home.service_file(args[1]);
  if (std::filesystem::exists(file)) {
    err_ << "service " << args[1] << " already exists\n";
    return 1;
  }
  emu_service_settings::store(*emu_connection::create_service(file), compatible, charset, semantics, messages);
  return add_user(args, true);
}

int emu_admin::add_user(const std::vector<std::string>& args, bool) {
  const user_options o = read_user(args, 2);
  if (args.size() < 4 || !o.ok) return usage();
  const emu_home home = emu_home::from_environment();
  const std::string file = home.service_file(args[1]);
  if (!std::filesystem::exists(file)) {
    err_ << "service " << args[1] << " does not exist\n";
    return 1;
  }
  emu_sqlite db(file, false);
  emu_catalog::create_schema(db);
  emu_catalog::save_user(db, o.user);
  out_ << "user " << to_utf8(o.user.name) << " of service " << args[1] << " saved\n";
  return 0;
}

int emu_admin::add_tablespace(const std::vector<std::string>& args) {
  const std::string file = emu_home::from_environment().service_file(args[1]);
  if (!std::filesystem::exists(file)) {
    err_ << "service " << args[1] << " does not exist\n";
    return 1;
  }
  emu_sqlite db(file, false);
  emu_catalog::create_schema(db);
  std::string name;
  for (char c : args[2]) {
    if (!is_ascii_alnum(c) && c != '_' && c != '$' && c != '#') {
      err_ << "a tablespace name holds letters, digits, _, $ and # only\n";
      return 2;
    }
    name += ascii_upper(c);
  }
  db.exec("INSERT OR IGNORE INTO ociemu_tablespaces VALUES ('" + name + "')");
  return 0;
}

int emu_admin::add_alias(const std::vector<std::string>& args) {
  if (args.size() != 3) return usage();
  emu_home::from_environment().add_alias(args[1], args[2]);
  return 0;
}

int emu_admin::list_tables(const std::vector<std::string>& args) {
  if (args.size() != 4) return usage();
  emu_sql_client client(args[1], args[2], args[3]);
  return client.print(u"SELECT TABLE_NAME FROM USER_TABLES ORDER BY TABLE_NAME", out_, false) ? 0 : 1;
}

int emu_admin::run_sql(const std::vector<std::string>& args) {
  if (args.size() != 5) return usage();
  emu_sql_client client(args[1], args[2], args[3]);
  return client.print(to_utf16(args[4]), out_, true) ? 0 : 1;
}

}  // namespace ociemu
