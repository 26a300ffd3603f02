// The tags of a dBASE IV / 5 / 7 multiple index file (.mdx): a tag table
// after the file header names each tag and the page of its header, which
// holds the key expression, the key format flags and the FOR filter.
#pragma once

#include <string>
#include <vector>

#include "dbf_index_tag.hpp"

// Raises tk_exception for a file that cannot be opened or is damaged.
std::vector<dbf_index_tag> dbf_read_mdx(const std::string& path);
