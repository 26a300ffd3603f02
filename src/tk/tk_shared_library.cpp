#include "tk_shared_library.hpp"

std::unique_ptr<tk_shared_library> tk_load_first(const std::string* names, std::size_t count,
                                                 std::string& tried) {
  for (std::size_t i = 0; i < count; ++i) {
    auto library = std::make_unique<tk_shared_library>(names[i]);
    tried += names[i] + " (" + library->message() + "); ";
    if (library->is_loaded()) return library;
  }
  return nullptr;
}
