// Where the data files installed beside the programs are found.
#pragma once

#include <string>

// The file beside the running program (the build folder), else in
// ../share/vesper from it (an installation), else in $VESPER_DATA_DIR.
std::string udb_data_file(const std::string& name);
