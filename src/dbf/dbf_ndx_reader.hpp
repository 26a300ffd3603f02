// The one index of a dBASE III index file (.ndx): a 512-byte header with
// the key expression and the unique flag. Its name is the file's base name.
#pragma once

#include <string>

#include "dbf_index_tag.hpp"

// Raises tk_exception for a file that cannot be opened or is damaged.
dbf_index_tag dbf_read_ndx(const std::string& path);
