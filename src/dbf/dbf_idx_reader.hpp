// The one index of a FoxPro single index file (.idx), compact (FoxPro 2 and
// later: the layout of a .cdx tag header) or of the older kind (expressions
// at fixed places in a 512-byte header). Its name is the file's base name.
#pragma once

#include <string>

#include "dbf_index_tag.hpp"

// Raises tk_exception for a file that cannot be opened or is damaged.
dbf_index_tag dbf_read_idx(const std::string& path);
