#include "udb_data_file.hpp"

#include <cstdlib>

#include "tk_file_exist.hpp"
#include "tk_file_name.hpp"

std::string udb_data_file(const std::string& name) {
  std::string beside = tk_file_name("").folder + name;
  if (tk_is_file_exist(beside)) return beside;
  const char* folder = std::getenv("VESPER_DATA_DIR");
  if (folder && *folder) return std::string(folder) + "/" + name;
  return beside;
}
