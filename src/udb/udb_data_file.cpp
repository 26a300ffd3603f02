#include "udb_data_file.hpp"

#include <cstdlib>

#include "tk_file_exist.hpp"
#include "tk_file_name.hpp"

std::string udb_data_file(const std::string& name) {
  const std::string program = tk_file_name("").folder_path();
  // The build folder keeps the files beside the program; an installation
  // keeps them in share/vesper beside its bin folder.
  for (const std::string& folder : {program, program + "../share/vesper/"})
    if (tk_is_file_exist(folder + name)) return folder + name;
  const char* folder = std::getenv("VESPER_DATA_DIR");
  if (folder && *folder) return std::string(folder) + "/" + name;
  return program + name;
}
