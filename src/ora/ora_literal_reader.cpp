#include "ora_literal_reader.hpp"

#include <ctime>

#include "ora_exception.hpp"
#include "ora_number_bytes.hpp"

namespace {

int hex_value(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads `count` digits at `at`; -1 when they are not all digits.
int digits_at(const std::u16string& text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return -1;
    value = value * 10 + (text[i] - u'0');
  }
  return value;
}

[[noreturn]] void not_a_date() { throw ora_exception(1858, u"ORA-01858: a non-numeric character was found where a numeric was expected"); }

}  // namespace

bool ora_literal_reader::is_null(const std::u16string& literal) {
  return literal.empty() || literal == u"NULL" || literal == u"''";
}

// The text between the first quote and the last, with doubled quotes undone.
std::optional<std::u16string> ora_literal_reader::quoted_part(const std::u16string& literal) {
  std::size_t open = literal.find(u'\'');
  if (open == std::u16string::npos) return std::nullopt;
  std::size_t close = open + 1;
  std::u16string text;
  for (; close < literal.size(); ++close) {
    if (literal[close] != u'\'') {
      text += literal[close];
    } else if (close + 1 < literal.size() && literal[close + 1] == u'\'') {
      text += u'\'';
      ++close;
    } else {
      return text;
    }
  }
  return std::nullopt;
}

std::string ora_literal_reader::number(const std::u16string& literal) {
  std::u16string digits = quoted_part(literal).value_or(literal);
  std::optional<ora_number_bytes::bytes> bytes = ora_number_bytes::from_text(digits);
  if (!bytes) throw ora_exception(1722, u"ORA-01722: invalid number");
  return std::string(bytes->begin(), bytes->end());
}

std::u16string ora_literal_reader::text(const std::u16string& literal) {
  if (!literal.empty() && literal.front() == u'\'') return quoted_part(literal).value_or(literal);
  return literal;
}

oci::date ora_literal_reader::date(const std::u16string& literal) {
  std::optional<std::u16string> value = quoted_part(literal);
  if (!value) not_a_date();
  oci::date d{};
  const std::u16string& t = *value;
  std::size_t time_at = 0;
  if (t.size() >= 10 && t[4] == u'-' && t[7] == u'-') {
    int year = digits_at(t, 0, 4), month = digits_at(t, 5, 2), day = digits_at(t, 8, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31) not_a_date();
    d.year = static_cast<sb2>(year);
    d.month = static_cast<ub1>(month);
    d.day = static_cast<ub1>(day);
    if (t.size() == 10) return d;
    time_at = 11;
  } else {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    d.year = static_cast<sb2>(local.tm_year + 1900);
    d.month = static_cast<ub1>(local.tm_mon + 1);
    d.day = 1;
  }
  int hour = digits_at(t, time_at, 2), minute = digits_at(t, time_at + 3, 2), second = digits_at(t, time_at + 6, 2);
  if (t.size() != time_at + 8 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    not_a_date();
  d.hour = static_cast<ub1>(hour);
  d.minute = static_cast<ub1>(minute);
  d.second = static_cast<ub1>(second);
  return d;
}

std::vector<std::uint8_t> ora_literal_reader::binary(const std::u16string& literal) {
  std::u16string hex = quoted_part(literal).value_or(literal);
  std::vector<std::uint8_t> bytes;
  if (hex.size() % 2 != 0) hex.insert(0, 1, u'0');  // Oracle reads an odd digit count with a leading zero
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int high = hex_value(hex[i]), low = hex_value(hex[i + 1]);
    if (high < 0 || low < 0) throw ora_exception(1465, u"ORA-01465: invalid hex number");
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return bytes;
}
