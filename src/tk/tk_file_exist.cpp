#include "tk_file_exist.hpp"

#include <atomic>

#include "tk_convert.hpp"
#include "tk_logger.hpp"

namespace {

std::atomic<tk_open_call> open_call{tk_system_open};

template <typename Test>
bool with_narrow_path(const std::u16string& path, Test test) {
  std::string narrow;
  return tk_wide_to_system(path, narrow) && test(narrow);
}

}  // namespace

int tk_open_for_test(const char* path, int flags) { return open_call.load()(path, flags); }

tk_open_call tk_set_open_call(tk_open_call call) {
  return open_call.exchange(call ? call : tk_system_open);
}

bool tk_is_file_exist(const std::u16string& path, tk_file_access access) {
  return with_narrow_path(path, [access](const std::string& p) { return tk_is_file_exist(p, access); });
}

bool tk_is_path_exist(const std::u16string& path) {
  return with_narrow_path(path, [](const std::string& p) { return tk_is_path_exist(p); });
}
