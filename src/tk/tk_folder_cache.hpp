// Folder listings kept for the length of a run. Tables look for their memo,
// index and code page files by name ignoring case; without the cache every
// such lookup lists and sorts the whole folder again, so a folder of N
// tables costs N times N. While a scope is open the first case-ignoring
// lookup in a folder lists it and the later ones use that listing: a run
// sees the files that were there when it first looked.
#pragma once

#include <optional>
#include <string>

class tk_folder_cache {
 public:
  // Keeps listings until it ends; scopes nest, the outermost one forgets.
  class scope {
   public:
    scope();
    ~scope();
    scope(const scope&) = delete;
    scope& operator=(const scope&) = delete;
  };

  // Without an open scope, nothing: the caller lists the folder itself.
  // Otherwise the entry of `folder` (ending in "/") equal to `name` ignoring
  // case, the first in listing order, as an optional that is empty when the
  // folder holds none or cannot be listed.
  static std::optional<std::optional<std::string>> find(const std::string& folder, const std::string& name);

  // Folders listed since the outermost scope opened.
  static std::size_t listings();
};
