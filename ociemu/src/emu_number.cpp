#include "emu_number.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "emu_text.hpp"

namespace ociemu {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Adds one to a digit string in place; returns true when it grew by a digit ("99" -> "100").
bool increment(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

}  // namespace

void emu_number::normalise() {
  std::size_t lead = 0;
  while (lead < digits_.size() && digits_[lead] == '0') ++lead;
  digits_.erase(0, lead);
  while (!digits_.empty() && digits_.back() == '0') {
    digits_.pop_back();
    ++exponent_;
  }
  // A NUMBER holds nothing below 1e-130: smaller magnitudes are stored as zero.
  if (!digits_.empty() && static_cast<long>(digits_.size()) + exponent_ <= -130) digits_.clear();
  if (digits_.empty()) {
    negative_ = false;
    exponent_ = 0;
  }
}

std::optional<emu_number> emu_number::parse(std::u16string_view text) {
  for (char16_t c : text)
    if (c > 0x7F) return std::nullopt;
  return parse(to_utf8(text));
}

std::optional<emu_number> emu_number::parse(std::string_view text) {
  std::size_t i = 0, end = text.size();
  while (i < end && is_blank(text[i])) ++i;
  while (end > i && is_blank(text[end - 1])) --end;
  emu_number n;
  if (i < end && (text[i] == '+' || text[i] == '-')) n.negative_ = text[i++] == '-';
  bool any_digit = false, point = false;
  int fraction_digits = 0;
  for (; i < end; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      n.digits_ += c;
      any_digit = true;
      if (point) ++fraction_digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return std::nullopt;
  int exponent = 0;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negative_exponent = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative_exponent = text[i++] == '-';
    if (i == end) return std::nullopt;
    for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (negative_exponent) exponent = -exponent;
  }
  if (i != end) return std::nullopt;
  n.exponent_ = exponent - fraction_digits;
  n.normalise();
  return n;
}

emu_number emu_number::from_int64(std::int64_t value) {
  emu_number n;
  n.negative_ = value < 0;
  const std::uint64_t magnitude =
      value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  n.digits_ = std::to_string(magnitude);
  n.normalise();
  return n;
}

emu_number emu_number::from_double(double value) {
  // The shortest decimal of 15 to 17 digits that reads back as the same double,
  // written and read the same under every locale.
  char buffer[40];
  std::size_t length = 0;
  for (int precision = 15; precision <= 17; ++precision) {
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    length = static_cast<std::size_t>(written.ptr - buffer);
    double back = 0;
    std::from_chars(buffer, written.ptr, back);
    if (back == value) break;
  }
  return parse(std::string_view(buffer, length)).value_or(emu_number());
}

int emu_number::integer_digits() const {
  const int n = static_cast<int>(digits_.size()) + exponent_;
  return is_zero() || n < 0 ? 0 : n;
}

emu_number emu_number::rounded_to_significant(int count) const {
  if (static_cast<int>(digits_.size()) <= count) return *this;
  return rounded_to_scale(-(exponent_ + static_cast<int>(digits_.size()) - count));
}

emu_number emu_number::rounded_to_scale(int scale) const {
  if (is_zero() || exponent_ >= -scale) return *this;
  // Digits kept: those with a place value of at least 10^-scale.
  const int drop = -scale - exponent_;
  emu_number r = *this;
  if (drop > static_cast<int>(digits_.size())) {
    r.digits_.clear();
    r.normalise();
    return r;
  }
  const bool round_up = digits_[digits_.size() - drop] >= '5';
  r.digits_.resize(digits_.size() - drop);
  r.exponent_ = -scale;
  if (round_up) {
    if (r.digits_.empty()) r.digits_ = "0";
    increment(r.digits_);
  }
  r.normalise();
  return r;
}

emu_number emu_number::negated() const {
  emu_number r = *this;
  if (!r.is_zero()) r.negative_ = !r.negative_;
  return r;
}

std::optional<std::int64_t> emu_number::to_int64() const {
  if (!is_integer()) return std::nullopt;
  if (integer_digits() > 19) return std::nullopt;
  std::string text = digits_ + std::string(static_cast<std::size_t>(exponent_), '0');
  errno = 0;
  const std::string signed_text = (negative_ ? "-" : "") + (text.empty() ? "0" : text);
  char* end = nullptr;
  const long long v = std::strtoll(signed_text.c_str(), &end, 10);
  if (errno == ERANGE) return std::nullopt;
  return static_cast<std::int64_t>(v);
}

double emu_number::to_double() const {
  const std::string text = to_text();  // within the range of a double: |x| < 1E126
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string emu_number::to_text() const {
  if (is_zero()) return "0";
  std::string out = negative_ ? "-" : "";
  const int length = static_cast<int>(digits_.size());
  const int point = length + exponent_;  // digits before the decimal point
  if (point > 40 || point < -40) {
    // Too long for plain text: scientific notation as Oracle prints it.
    out += digits_[0];
    if (length > 1) out += "." + digits_.substr(1);
    char exponent_text[16];
    std::snprintf(exponent_text, sizeof exponent_text, "E%+03d", point - 1);
    return out + exponent_text;
  }
  if (point <= 0) return out + "." + std::string(static_cast<std::size_t>(-point), '0') + digits_;
  if (point >= length) return out + digits_ + std::string(static_cast<std::size_t>(point - length), '0');
  return out + digits_.substr(0, point) + "." + digits_.substr(point);
}

}  // namespace ociemu
