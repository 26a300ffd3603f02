// The admin tool's commands: services, users, aliases, tables and one SQL statement.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ociemu {

class emu_admin {
 public:
  emu_admin(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  // Runs one command line (without the program name); returns the exit code.
  int run(const std::vector<std::string>& args);

 private:
  int usage();
  int create_service(const std::vector<std::string>& args);
  int add_user(const std::vector<std::string>& args, bool create);
  int add_alias(const std::vector<std::string>& args);
  int add_tablespace(const std::vector<std::string>& args);
  int list_tables(const std::vector<std::string>& args);
  int run_sql(const std::vector<std::string>& args);

  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace ociemu
