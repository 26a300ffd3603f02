#include "tk_exception_ex.hpp"

#include <cerrno>
#include <system_error>

#include "tk_logger.hpp"

namespace {
std::string system_text(int error) {
  if (error == 0) return {};
  // The C library's text for the errno value, taken in a thread-safe way.
  return std::generic_category().message(error);
}

std::string message_of(std::string_view prefix, int error) {
  std::string text = system_text(error);
  tk_log(2, "GetLastError: %s", text);
  return text.empty() ? std::string() : std::string(prefix) + text;
}
}  // namespace

tk_exception_ex::tk_exception_ex(std::string_view prefix, int level_)
    : tk_exception_ex(prefix, level_, errno) {}

tk_exception_ex::tk_exception_ex(std::string_view prefix, int level_, int system_error)
    : tk_exception(message_of(prefix, system_error), level_, system_error) {}
