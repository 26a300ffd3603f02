// One formatter for trace lines and messages.
//
// It takes Microsoft-style printf formats as the program's messages are written
// (%d, %s, %I64d, %I64u, %S for "the other width", %c, %x, %f, %e, %g, %p, flags,
// width and precision, '*' included) with narrow (UTF-8) and UTF-16 string
// arguments, and always produces UTF-8. Formats are string literals checked at
// compile time against the argument types: a wrong argument kind or count does
// not compile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace tk_format_detail {

enum class arg_kind : std::uint8_t { sint, uint, real, narrow, wide, pointer };

struct arg {
  arg_kind kind;
  std::uint8_t size;  // bytes of the integer argument, so %x of -1 keeps its width
  union {
    long long i;
    unsigned long long u;
    double d;
    const void* p;
    std::string_view* unused_;  // keeps the union trivially default-constructible
  };
  std::string_view narrow_text;
  std::u16string_view wide_text;
};

template <typename T>
using bare = std::remove_cvref_t<std::decay_t<T>>;

template <typename T>
consteval arg_kind kind_of() {
  using U = bare<T>;
  if constexpr (std::is_enum_v<U>) {
    return std::is_signed_v<std::underlying_type_t<U>> ? arg_kind::sint : arg_kind::uint;
  } else if constexpr (std::is_same_v<U, char16_t> || std::is_same_v<U, char32_t> ||
                       std::is_same_v<U, char8_t>) {
    return arg_kind::uint;
  } else if constexpr (std::is_same_v<U, bool> || std::is_same_v<U, char>) {
    return arg_kind::sint;
  } else if constexpr (std::is_integral_v<U>) {
    return std::is_signed_v<U> ? arg_kind::sint : arg_kind::uint;
  } else if constexpr (std::is_floating_point_v<U>) {
    return arg_kind::real;
  } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*> ||
                       std::is_same_v<U, std::string> || std::is_same_v<U, std::string_view>) {
    return arg_kind::narrow;
  } else if constexpr (std::is_same_v<U, const char16_t*> || std::is_same_v<U, char16_t*> ||
                       std::is_same_v<U, std::u16string> ||
                       std::is_same_v<U, std::u16string_view>) {
    return arg_kind::wide;
  } else if constexpr (std::is_pointer_v<U> || std::is_null_pointer_v<U>) {
    return arg_kind::pointer;
  } else {
    static_assert(sizeof(U) == 0, "tk_format: unsupported argument type");
    return arg_kind::pointer;
  }
}

// Called only from constant evaluation: reaching one of these makes the
// format check fail to compile, and the function's name says why.
void format_has_more_conversions_than_arguments();
void format_has_fewer_conversions_than_arguments();
void format_conversion_does_not_match_argument_type();
void format_has_an_unknown_conversion();

enum class conv_class { integer, real, string, pointer, percent, bad };

constexpr conv_class class_of(char c) {
  switch (c) {
    case 'd': case 'i': case 'u': case 'o': case 'x': case 'X': case 'c': case 'C':
      return conv_class::integer;
    case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A':
      return conv_class::real;
    case 's': case 'S':
      return conv_class::string;
    case 'p':
      return conv_class::pointer;
    case '%':
      return conv_class::percent;
    default:
      return conv_class::bad;
  }
}

constexpr bool accepts(conv_class c, arg_kind k) {
  switch (c) {
    case conv_class::integer: return k == arg_kind::sint || k == arg_kind::uint;
    case conv_class::real: return k == arg_kind::real;
    case conv_class::string: return k == arg_kind::narrow || k == arg_kind::wide;
    case conv_class::pointer:
      return k == arg_kind::pointer || k == arg_kind::narrow || k == arg_kind::wide;
    default: return false;
  }
}

// The pieces of one conversion directive.
struct conversion_spec {
  std::size_t end = 0;        // index just past the conversion letter
  std::size_t flags_end = 0;  // flags run from the '%' + 1 up to here
  bool width_star = false;
  int width = -1;
  bool precision_star = false;
  int precision = -1;
  char conversion = 0;
};

// Parses the directive that starts right after a '%' at `pos`. Works on
// narrow and wide formats alike; wide letters above 0x7F end it as unknown.
template <typename Char>
constexpr conversion_spec parse_spec(std::basic_string_view<Char> f, std::size_t pos) {
  conversion_spec s;
  auto at = [&](std::size_t i) -> char {
    return i < f.size() && f[i] < 0x80 ? static_cast<char>(f[i]) : '\0';
  };
  std::size_t i = pos;
  while (at(i) == '-' || at(i) == '+' || at(i) == ' ' || at(i) == '#' || at(i) == '0') ++i;
  s.flags_end = i;
  if (at(i) == '*') {
    s.width_star = true;
    ++i;
  } else {
    while (at(i) >= '0' && at(i) <= '9') s.width = (s.width < 0 ? 0 : s.width * 10) + (at(i++) - '0');
  }
  if (at(i) == '.') {
    ++i;
    s.precision = 0;
    if (at(i) == '*') {
      s.precision_star = true;
      ++i;
    } else {
      while (at(i) >= '0' && at(i) <= '9') s.precision = s.precision * 10 + (at(i++) - '0');
    }
  }
  // Length modifiers carry no meaning here: arguments bring their own types.
  for (;;) {
    char c = at(i);
    if (c == 'I' && at(i + 1) == '6' && at(i + 2) == '4') {
      i += 3;
    } else if (c == 'I' && at(i + 1) == '3' && at(i + 2) == '2') {
      i += 3;
    } else if (c == 'h' || c == 'l' || c == 'L' || c == 'z' || c == 'j' || c == 't' ||
               c == 'w' || c == 'I') {
      ++i;
    } else {
      break;
    }
  }
  s.conversion = at(i);
  s.end = i + 1;
  return s;
}

template <typename Char, typename... Args>
consteval void check_format(std::basic_string_view<Char> f) {
  constexpr arg_kind kinds[] = {kind_of<Args>()..., arg_kind::pointer};
  constexpr std::size_t count = sizeof...(Args);
  std::size_t next = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%') continue;
    conversion_spec s = parse_spec(f, i + 1);
    i = s.end - 1;
    conv_class c = class_of(s.conversion);
    if (c == conv_class::percent) continue;
    if (c == conv_class::bad) format_has_an_unknown_conversion();
    for (int star = (s.width_star ? 1 : 0) + (s.precision_star ? 1 : 0); star > 0; --star) {
      if (next >= count) format_has_more_conversions_than_arguments();
      if (!accepts(conv_class::integer, kinds[next++]))
        format_conversion_does_not_match_argument_type();
    }
    if (next >= count) format_has_more_conversions_than_arguments();
    if (!accepts(c, kinds[next++])) format_conversion_does_not_match_argument_type();
  }
  if (next != count) format_has_fewer_conversions_than_arguments();
}

template <typename T>
arg make_arg(const T& value) {
  arg a{};
  a.kind = kind_of<T>();
  using U = bare<T>;
  a.size = static_cast<std::uint8_t>(sizeof(U));
  if constexpr (std::is_enum_v<U>) {
    a.i = static_cast<long long>(value);
    a.u = static_cast<unsigned long long>(value);
  } else if constexpr (std::is_integral_v<U>) {
    if constexpr (std::is_signed_v<U>) a.i = value; else a.u = value;
  } else if constexpr (std::is_floating_point_v<U>) {
    a.d = value;
  } else if constexpr (std::is_array_v<std::remove_cvref_t<T>>) {
    if constexpr (kind_of<T>() == arg_kind::narrow) a.narrow_text = value; else a.wide_text = value;
  } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
    a.narrow_text = value ? std::string_view(value) : std::string_view("(null)");
  } else if constexpr (std::is_same_v<U, std::string> || std::is_same_v<U, std::string_view>) {
    a.narrow_text = value;
  } else if constexpr (std::is_same_v<U, const char16_t*> || std::is_same_v<U, char16_t*>) {
    a.wide_text = value ? std::u16string_view(value) : std::u16string_view(u"(null)");
  } else if constexpr (std::is_same_v<U, std::u16string> ||
                       std::is_same_v<U, std::u16string_view>) {
    a.wide_text = value;
  } else {
    a.p = value;
  }
  return a;
}

std::string vformat(std::string_view format, const arg* args, std::size_t count);
std::string vformat(std::u16string_view format, const arg* args, std::size_t count);

}  // namespace tk_format_detail

// A format string checked at compile time against the argument types Args.
template <typename Char, typename... Args>
class tk_basic_format_string {
 public:
  template <std::size_t N>
  consteval tk_basic_format_string(const Char (&text)[N]) : text_(text, N - 1) {
    tk_format_detail::check_format<Char, Args...>(text_);
  }
  constexpr std::basic_string_view<Char> get() const { return text_; }

 private:
  std::basic_string_view<Char> text_;
};

template <typename... Args>
using tk_format_string = tk_basic_format_string<char, std::type_identity_t<Args>...>;
template <typename... Args>
using tk_wformat_string = tk_basic_format_string<char16_t, std::type_identity_t<Args>...>;

// Formats a narrow (UTF-8) format; the result is UTF-8.
template <typename... Args>
std::string tk_format(tk_format_string<Args...> format, const Args&... args) {
  const tk_format_detail::arg list[] = {tk_format_detail::make_arg(args)..., {}};
  return tk_format_detail::vformat(format.get(), list, sizeof...(Args));
}

// Formats a UTF-16 format; the result is UTF-8.
template <typename... Args>
std::string tk_format(tk_wformat_string<Args...> format, const Args&... args) {
  const tk_format_detail::arg list[] = {tk_format_detail::make_arg(args)..., {}};
  return tk_format_detail::vformat(format.get(), list, sizeof...(Args));
}

// Lenient conversions for the formatter: malformed input becomes U+FFFD, never a failure.
std::string tk_utf16_to_utf8_lenient(std::u16string_view utf16);
std::u16string tk_utf8_to_utf16_lenient(std::string_view utf8);

// Formats a UTF-16 format into UTF-16 text (SQL statements, names).
template <typename... Args>
std::u16string tk_wformat(tk_wformat_string<Args...> format, const Args&... args) {
  const tk_format_detail::arg list[] = {tk_format_detail::make_arg(args)..., {}};
  return tk_utf8_to_utf16_lenient(tk_format_detail::vformat(format.get(), list, sizeof...(Args)));
}
