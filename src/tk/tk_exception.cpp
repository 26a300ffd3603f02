#include "tk_exception.hpp"

#include "tk_format.hpp"

namespace {
std::string or_unknown(std::string message) {
  return message.empty() ? std::string("Unknown exception") : message;
}
}  // namespace

tk_exception::tk_exception(std::string text, int level_, int code_)
    : message(or_unknown(std::move(text))), code(code_), level(level_) {}

tk_exception::tk_exception(std::u16string_view text, int level_, int code_)
    : message(or_unknown(tk_utf16_to_utf8_lenient(text))), code(code_), level(level_) {}
