#include "tk_trim.hpp"

#include "tk_logger.hpp"

namespace {

template <typename Char>
std::basic_string<Char> left_trim(std::basic_string_view<Char> text) {
  auto first = text.find_first_not_of(Char(' '));
  if (first == text.npos) return {};
  return std::basic_string<Char>(text.substr(first));
}

template <typename Char>
std::basic_string<Char> right_trim(std::basic_string_view<Char> text) {
  if (text.empty()) return {};
  auto last = text.find_last_not_of(Char(' '));
  if (last == text.npos) {
    tk_log(1, "Special processing for all-spaces-string");
    return {};
  }
  return std::basic_string<Char>(text.substr(0, last + 1));
}

}  // namespace

std::string tk_ltrim(std::string_view text) { return left_trim(text); }
std::string tk_rtrim(std::string_view text) { return right_trim(text); }
std::string tk_trim(std::string_view text) { return left_trim<char>(right_trim(text)); }
std::u16string tk_ltrim(std::u16string_view text) { return left_trim(text); }
std::u16string tk_rtrim(std::u16string_view text) { return right_trim(text); }
std::u16string tk_trim(std::u16string_view text) {
  return left_trim<char16_t>(right_trim(text));
}
