#include "tk_format.hpp"

#include <cstdio>

#include "tk_real_text.hpp"

namespace {

void append_code_point(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Number of code points in UTF-8 text (continuation bytes are not counted).
std::size_t code_points(std::string_view utf8) {
  std::size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// The first `limit` code points of UTF-8 text.
std::string_view first_code_points(std::string_view utf8, std::size_t limit) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && seen++ == limit)
      return utf8.substr(0, i);
  }
  return utf8;
}

void append_padded(std::string& out, std::string_view text, int width, bool left) {
  std::size_t len = code_points(text);
  std::size_t pad = width > 0 && static_cast<std::size_t>(width) > len ? width - len : 0;
  if (!left) out.append(pad, ' ');
  out.append(text);
  if (left) out.append(pad, ' ');
}

// Value of an integer argument as the conversion letter reads it.
unsigned long long as_unsigned(const tk_format_detail::arg& a) {
  if (a.kind == tk_format_detail::arg_kind::uint) return a.u;
  unsigned long long bits = static_cast<unsigned long long>(a.i);
  if (a.size < 8) bits &= (1ULL << (a.size * 8)) - 1;
  return bits;
}

long long as_signed(const tk_format_detail::arg& a) {
  return a.kind == tk_format_detail::arg_kind::sint ? a.i : static_cast<long long>(a.u);
}

int star_value(const tk_format_detail::arg& a) {
  long long v = as_signed(a);
  if (v > 1000000) return 1000000;
  if (v < -1000000) return -1000000;
  return static_cast<int>(v);
}

template <typename... T>
void append_printf(std::string& out, const std::string& printf_text, T... value) {
  char small[128];
  int n = std::snprintf(small, sizeof small, printf_text.c_str(), value...);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof small) {
    out.append(small, n);
    return;
  }
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), printf_text.c_str(), value...);
  out.append(big.data(), n);
}

class formatter {
 public:
  formatter(const tk_format_detail::arg* args, std::size_t count) : args_(args), count_(count) {}

  std::string run(std::string_view f) {
    std::string out;
    out.reserve(f.size() + 32);
    for (std::size_t i = 0; i < f.size(); ++i) {
      if (f[i] != '%') {
        out += f[i];
        continue;
      }
      tk_format_detail::conversion_spec s = tk_format_detail::parse_spec(f, i + 1);
      std::string flags(f.substr(i + 1, s.flags_end - (i + 1)));
      i = s.end - 1;
      if (s.conversion == '%') {
        out += '%';
        continue;
      }
      int width = s.width_star ? star_value(next()) : s.width;
      int precision = s.precision_star ? star_value(next()) : s.precision;
      if (width < -1) {  // a negative '*' width means left-justified
        flags += '-';
        width = -width;
      }
      if (precision < -1) precision = -1;
      one(out, flags, width, precision, s.conversion, next());
    }
    return out;
  }

 private:
  const tk_format_detail::arg& next() {
    static const tk_format_detail::arg none{};
    return used_ < count_ ? args_[used_++] : none;
  }

  static std::string printf_spec(const std::string& flags, int width, int precision,
                                 const char* length, char conversion) {
    std::string printf_text = "%" + flags;
    if (width >= 0) printf_text += std::to_string(width);
    if (precision >= 0) printf_text += "." + std::to_string(precision);
    printf_text += length;
    printf_text += conversion;
    return printf_text;
  }

  void one(std::string& out, const std::string& flags, int width, int precision, char c,
           const tk_format_detail::arg& a) {
    bool left = flags.find('-') != std::string::npos;
    switch (tk_format_detail::class_of(c)) {
      case tk_format_detail::conv_class::integer:
        if (c == 'c' || c == 'C') {
          std::string ch;
          append_code_point(ch, static_cast<char32_t>(as_unsigned(a) & 0x1FFFFF));
          append_padded(out, ch, width, left);
        } else if (c == 'd' || c == 'i') {
          append_printf(out, printf_spec(flags, width, precision, "ll", c), as_signed(a));
        } else {
          append_printf(out, printf_spec(flags, width, precision, "ll", c), as_unsigned(a));
        }
        break;
      case tk_format_detail::conv_class::real:
        out += tk_real_text(a.d, c, precision, flags, width);  // never with the locale's decimal comma
        break;
      case tk_format_detail::conv_class::string: {
        std::string converted;
        std::string_view text = a.narrow_text;
        if (a.kind == tk_format_detail::arg_kind::wide) {
          converted = tk_utf16_to_utf8_lenient(a.wide_text);
          text = converted;
        }
        if (precision >= 0) text = first_code_points(text, static_cast<std::size_t>(precision));
        append_padded(out, text, width, left);
        break;
      }
      case tk_format_detail::conv_class::pointer:
        append_printf(out, "%p", a.kind == tk_format_detail::arg_kind::pointer
                                     ? a.p
                                     : static_cast<const void*>(a.narrow_text.data()));
        break;
      default:
        break;
    }
  }

  const tk_format_detail::arg* args_;
  std::size_t count_;
  std::size_t used_ = 0;
};

}  // namespace

std::string tk_utf16_to_utf8_lenient(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    append_code_point(out, c);
  }
  return out;
}

std::u16string tk_utf8_to_utf16_lenient(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    unsigned char b = static_cast<unsigned char>(utf8[i]);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2
              : (b & 0xF8) == 0xF0 ? 3 : -1;
    char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = extra >= 0;
    for (int k = 1; ok && k <= extra; ++k) {
      unsigned char cb = i + k < utf8.size() ? static_cast<unsigned char>(utf8[i + k]) : 0;
      ok = (cb & 0xC0) == 0x80;
      cp = (cp << 6) | (cb & 0x3F);
    }
    static constexpr char32_t lowest[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < lowest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += extra + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

namespace tk_format_detail {

std::string vformat(std::string_view format, const arg* args, std::size_t count) {
  return formatter(args, count).run(format);
}

std::string vformat(std::u16string_view format, const arg* args, std::size_t count) {
  return formatter(args, count).run(tk_utf16_to_utf8_lenient(format));
}

}  // namespace tk_format_detail
