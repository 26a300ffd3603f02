// The one index of a Clipper index file (.ntx): a 1024-byte header with the
// key expression, the unique flag and, from Clipper 5.2 on, the descending
// flag and the FOR expression. Its name is the file's base name.
#pragma once

#include <string>

#include "dbf_index_tag.hpp"

// Raises tk_exception for a file that cannot be opened or is damaged.
dbf_index_tag dbf_read_ntx(const std::string& path);
