#include "dbf_wide_number.hpp"

#include <algorithm>

#include "ole_number.hpp"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Exponents past this put any value of a field's width far outside NUMBER's
// range; capping them keeps the arithmetic small.
constexpr long exponent_cap = 100000;

// A decimal keeps at most 28 digits after the point, and 2^96 - 1 fits in
// 29 digits.
constexpr long decimal_scale = 28;
constexpr long decimal_width = 29;

// NUMBER holds magnitudes from 1e-130 up to but not including 1e126.
constexpr long widest_point = 126;
constexpr long narrowest_point = -129;

}  // namespace

dbf_wide_number::dbf_wide_number(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative_ = text[i++] == '-';
  long fraction = 0;
  bool after_point = false;
  for (; i < text.size() && (is_digit(text[i]) || text[i] == '.'); ++i) {
    if (text[i] == '.') {
      after_point = true;
    } else {
      if (!digits_.empty() || text[i] != '0') digits_ += text[i];
      if (after_point) ++fraction;
    }
  }
  long exponent = 0;
  if (i < text.size()) {  // 'e' or 'E', an optional sign, digits
    ++i;
    const bool minus = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    for (; i < text.size(); ++i) exponent = std::min(exponent_cap, exponent * 10 + (text[i] - '0'));
    if (minus) exponent = -exponent;
  }
  exponent_ = exponent - fraction;
  const std::size_t last = digits_.find_last_not_of('0');
  const std::size_t kept = last == std::string::npos ? 0 : last + 1;
  exponent_ += static_cast<long>(digits_.size() - kept);
  digits_.resize(kept);
  if (digits_.empty()) negative_ = false, exponent_ = 0;
}

bool dbf_wide_number::fits_decimal() const {
  if (digits_.empty()) return true;
  if (-exponent_ > decimal_scale) return false;
  const long width = static_cast<long>(digits_.size()) + std::max(exponent_, 0L);
  if (width > decimal_width) return false;
  ole_uint128 magnitude = 0;
  for (char c : digits_) magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
  for (long k = 0; k < exponent_; ++k) magnitude *= 10;
  return magnitude <= ole_decimal_limit;
}

dbf_wide_number dbf_wide_number::rounded(int count) const {
  if (significant_digits() <= count) return *this;
  dbf_wide_number r;
  r.negative_ = negative_;
  r.digits_ = digits_.substr(0, static_cast<std::size_t>(count));
  r.exponent_ = exponent_ + static_cast<long>(digits_.size()) - count;
  if (digits_[static_cast<std::size_t>(count)] >= '5') {
    std::size_t k = r.digits_.size();
    while (k > 0 && r.digits_[k - 1] == '9') r.digits_[--k] = '0';
    if (k == 0) {
      r.digits_.insert(0, 1, '1');
    } else {
      ++r.digits_[k - 1];
    }
  }
  const std::size_t last = r.digits_.find_last_not_of('0');
  r.exponent_ += static_cast<long>(r.digits_.size() - (last + 1));
  r.digits_.resize(last + 1);
  return r;
}

bool dbf_wide_number::beyond_number() const { return !digits_.empty() && point() > widest_point; }

bool dbf_wide_number::below_number() const { return !digits_.empty() && point() < narrowest_point; }

std::string dbf_wide_number::text() const {
  if (digits_.empty()) return "0";
  std::string out = negative_ ? "-" : "";
  const long at = point();
  if (at <= 0) return out + "0." + std::string(static_cast<std::size_t>(-at), '0') + digits_;
  if (exponent_ >= 0) return out + digits_ + std::string(static_cast<std::size_t>(exponent_), '0');
  return out + digits_.substr(0, static_cast<std::size_t>(at)) + "." + digits_.substr(static_cast<std::size_t>(at));
}
