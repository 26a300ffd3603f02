#include <dlfcn.h>
#include <link.h>

#include "tk_shared_library.hpp"

tk_shared_library::tk_shared_library(const std::string& name)
    : handle_(::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  const char* why = handle_ ? "loaded" : ::dlerror();
  message_ = why ? why : "?";
}

tk_shared_library::~tk_shared_library() {
  if (handle_) ::dlclose(handle_);
}

void* tk_shared_library::symbol(const char* name) const {
  return handle_ ? ::dlsym(handle_, name) : nullptr;
}

std::string tk_shared_library::file_path() const {
  link_map* map = nullptr;
  return handle_ && ::dlinfo(handle_, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name ? map->l_name : "?";
}

bool tk_shared_library::is_platform_name(std::string_view name) {
  std::size_t so = name.rfind(".so");
  return so != std::string_view::npos && (so + 3 == name.size() || name[so + 3] == '.');
}

const char* tk_shared_library::library_folder() { return "lib"; }
