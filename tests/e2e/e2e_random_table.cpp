#include "e2e_random_table.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "e2e_expected_table.hpp"
#include "tk_format.hpp"

// splitmix64: the same numbers from a seed on every platform and library,
// which the standard distributions do not promise.
class e2e_random_table::source {
 public:
  explicit source(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // From `low` to `high`, both included.
  std::int64_t between(std::int64_t low, std::int64_t high) {
    return low + static_cast<std::int64_t>(next() % static_cast<std::uint64_t>(high - low + 1));
  }
  bool chance(int percent) { return between(1, 100) <= percent; }
  template <typename T>
  const T& pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(between(0, static_cast<std::int64_t>(items.size()) - 1))];
  }

 private:
  std::uint64_t state_;
};

namespace {

// The versions made, with the field letters each takes. Left out for now:
// logical fields holding '?' or a blank (they arrive as false, which the
// reader's rules say and no warning tells), N and F fields of more than 20
// digits and doubles of more than 15 (until numbers keep 38 digits), dBASE 7 I fields
// (the test writer writes them little-endian), and Visual FoxPro null flags.
struct version_kind {
  std::uint8_t version;
  const char* letters;
};
const std::vector<version_kind> versions = {
    {0x30, "CCCNNFDLIYTBMWGVQ"}, {0xF5, "CCNNFDLM"}, {0x83, "CCNNDLM"}, {0x8B, "CCNNFDLM"}, {0x8C, "CCNNDLO@+M"}};

std::uint8_t version_of(std::uint64_t seed) {
  static_assert(sizeof(std::uint64_t) == 8);
  return versions[static_cast<std::size_t>((seed * 7 + 3) % versions.size())].version;
}

const char* letters_of(std::uint8_t version) {
  for (const version_kind& kind : versions)
    if (kind.version == version) return kind.letters;
  return "C";
}

// The code pages of the tables, with the letters their text takes (no tab
// or line end, which the tool's output would not keep apart) and a byte
// the page leaves undefined, which cannot arrive as itself (0 for none).
struct page_kind {
  std::uint8_t driver;
  const char16_t* letters;
  char undefined;
};
const char16_t* const ascii = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;:-_'\"!?%&()[]/\\@#*+=<>";
const std::vector<page_kind> pages = {
    {0x03, u"\u00e9\u00e8\u00fc\u00f6\u00e4\u00df\u00e7\u00f1\u00c6\u00f8\u20ac\u00a3", 0},
    {0xCB, u"\u03b1\u03b2\u03b3\u03b4\u03a9\u03a3\u0386\u03ac", '\xAA'},
    {0xC9, u"\u0430\u0431\u0432\u0416\u042f\u0451\u0401\u2116", 0}};

std::string lower_case(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}

std::string utf8(const std::u16string& text) { return tk_utf16_to_utf8_lenient(text); }

std::string hex_of(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char c : bytes) {
    text += digits[c >> 4];
    text += digits[c & 15];
  }
  return text;
}

std::string date_text(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
  return text;
}

int days_in(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

// mantissa * 10^exponent written out without an exponent.
std::string plain_decimal(std::int64_t mantissa, int exponent) {
  std::string digits = std::to_string(mantissa < 0 ? -mantissa : mantissa);
  if (exponent >= 0) {
    digits += std::string(static_cast<std::size_t>(exponent), '0');
  } else {
    const std::size_t shift = static_cast<std::size_t>(-exponent);
    if (digits.size() <= shift) digits = std::string(shift - digits.size() + 1, '0') + digits;
    digits.insert(digits.size() - shift, ".");
  }
  return (mantissa < 0 ? "-" : "") + digits;
}

bool is_date_letter(char letter) { return letter == 'D' || letter == 'T' || letter == '@'; }

// The characters of a date column's text that hold its value: a DATE's
// seconds, a timestamp's milliseconds.
int date_text_size(char letter) { return letter == 'D' ? 19 : 23; }

}  // namespace

e2e_random_table::e2e_random_table(std::uint64_t seed, const std::string& name)
    : name_(lower_case(name)), writer_(version_of(seed)) {
  source random(seed);
  const std::uint8_t version = version_of(seed);
  if (version == 0x30) writer_.table_flags(0x02);
  const page_kind& page = random.pick(pages);
  writer_.language_driver(page.driver);
  alphabet_ = std::u16string(ascii) + page.letters;
  undefined_byte_ = page.undefined;
  description_ = tk_format("seed %I64u, version 0x%02X, driver 0x%02X:", seed, unsigned(version), unsigned(page.driver));
  const std::string letters = letters_of(version);
  const int fields = static_cast<int>(random.between(1, 10));
  for (int i = 0; i < fields; ++i) add_field(random, letters[static_cast<std::size_t>(random.between(0, letters.size() - 1))]);
  add_records(random);
  // Now and then a header that counts fewer records than the file holds:
  // they are the table's all the same.
  if (rows_.size() >= 2 && random.chance(5)) {
    dbf_damage fewer;
    fewer.record_count = static_cast<std::int32_t>(random.between(0, static_cast<std::int64_t>(rows_.size()) - 1));
    writer_.damage(fewer);
    description_ += tk_format(" (the header counts %d records)", int(*fewer.record_count));
  }
}

void e2e_random_table::add_field(source& random, char letter) {
  int length = dbf_writer::usual_length, decimals = 0;
  if (letter == 'C') length = random.chance(10) ? static_cast<int>(random.between(100, 254)) : static_cast<int>(random.between(1, 30));
  if (letter == 'V' || letter == 'Q') length = static_cast<int>(random.between(1, 20));
  if (letter == 'N' || letter == 'F') {
    length = static_cast<int>(random.between(1, 20));
    decimals = length >= 3 && random.chance(50) ? static_cast<int>(random.between(1, std::min(length - 2, 8))) : 0;
  }
  const std::string column = "F" + std::to_string(columns_.size() + 1) + std::string(1, letter == '@' ? 'S' : letter == '+' ? 'A' : letter);
  writer_.field(tk_utf8_to_utf16_lenient(column), letter, length, decimals);
  columns_.push_back(column);
  letters_.push_back(letter);
  lengths_.push_back(length);
  decimals_.push_back(decimals);
  description_ += tk_format(" %s %c(%d,%d)", column, letter, length, decimals);
}

void e2e_random_table::add_records(source& random) {
  const int records = static_cast<int>(random.between(1, 12));
  for (int r = 0; r < records; ++r) {
    std::vector<dbf_cell> cells;
    std::vector<std::string> row;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      auto [cell, text] = value(random, c);
      cells.push_back(std::move(cell));
      row.push_back(std::move(text));
    }
    const bool deleted = random.chance(10);
    if (deleted)
      writer_.deleted_record(std::move(cells));
    else
      writer_.record(std::move(cells));
    rows_.push_back(std::move(row));
    deleted_.push_back(deleted);
  }
}

// A value for the column and the text the tool prints for it.
std::pair<dbf_cell, std::string> e2e_random_table::value(source& random, std::size_t column) {
  const char letter = letters_[column];
  const int length = lengths_[column];
  const int decimals = decimals_[column];
  const bool blank = random.chance(12);
  auto text_of = [&](std::size_t most) {
    std::u16string text;
    const std::size_t size = static_cast<std::size_t>(random.between(1, static_cast<std::int64_t>(most)));
    for (std::size_t i = 0; i < size; ++i)
      text += alphabet_[static_cast<std::size_t>(random.between(0, static_cast<std::int64_t>(alphabet_.size()) - 1))];
    return text;
  };
  switch (letter) {
    case 'C': {
      if (blank) return {dbf_cell::null(), ""};
      // Now and then text after a zero byte, which cannot arrive: a change.
      if (length >= 3 && random.chance(4)) return {dbf_cell::raw(std::string("a\0b", 3)), "a\\0b"};
      // And a byte the code page leaves undefined.
      if (undefined_byte_ && length >= 2 && random.chance(4)) return {dbf_cell::raw(std::string("x") + undefined_byte_), "x<undefined>"};
      std::u16string text = text_of(static_cast<std::size_t>(length));
      while (!text.empty() && text.back() == u' ') text.pop_back();
      return {dbf_cell::text(text), utf8(text)};
    }
    case 'V': {
      std::u16string text = text_of(static_cast<std::size_t>(length));
      text.resize(static_cast<std::size_t>(length), u' ');  // every byte of the field is the value's
      return {dbf_cell::text(text), utf8(text)};
    }
    case 'Q': {
      std::string bytes;
      for (int i = 0; i < length; ++i) bytes += static_cast<char>(random.between(0, 255));
      return {dbf_cell::raw(bytes), hex_of(bytes)};
    }
    case 'N':
    case 'F': {
      if (blank) return {dbf_cell::null(), ""};
      const int integer_digits = length - (decimals ? decimals + 1 : 0);
      const bool negative = integer_digits >= 2 && random.chance(30);
      const int digits = static_cast<int>(random.between(1, integer_digits - (negative ? 1 : 0)));
      std::string text = negative ? "-" : "";
      for (int i = 0; i < digits; ++i) text += static_cast<char>('0' + random.between(i == 0 && digits > 1 ? 1 : 0, 9));
      if (decimals) {
        text += '.';
        for (int i = 0; i < decimals; ++i) text += static_cast<char>('0' + random.between(0, 9));
      }
      return {dbf_cell::raw(std::string(static_cast<std::size_t>(length) - text.size(), ' ') + text),
              e2e_expected_table::oracle_number(text)};
    }
    case 'D': {
      if (blank) return {dbf_cell::null(), ""};
      const int year = static_cast<int>(random.between(100, 9999)), month = static_cast<int>(random.between(1, 12));
      const int day = static_cast<int>(random.between(1, days_in(year, month)));
      return {dbf_cell::date(year, month, day), date_text(year, month, day)};
    }
    case 'T':
    case '@': {
      if (blank) return {dbf_cell::null(), ""};
      // Years past 7999 are kept by no value the reader makes: a change.
      const int year = static_cast<int>(random.chance(3) ? random.between(8000, 9999) : random.between(100, 7999));
      const int month = static_cast<int>(random.between(1, 12));
      const int day = static_cast<int>(random.between(1, days_in(year, month)));
      const int hour = static_cast<int>(random.between(0, 23)), minute = static_cast<int>(random.between(0, 59));
      const int second = static_cast<int>(random.between(0, 59));
      // Milliseconds up to the last one of a second, which must not round.
      const int millisecond = static_cast<int>(random.chance(4) ? 999 : random.between(0, 999));
      char fraction[8];
      std::snprintf(fraction, sizeof fraction, ".%03d", millisecond);
      return {dbf_cell::date_time(year, month, day, hour, minute, second, millisecond),
              date_text(year, month, day, hour, minute, second) + fraction};
    }
    case 'L': {
      static const std::vector<std::pair<char, const char*>> forms = {
          {'T', "T"}, {'F', "F"}, {'t', "T"}, {'f', "F"}, {'Y', "T"}, {'N', "F"}, {'y', "T"}, {'n', "F"}};
      // Now and then a logical not set (blank, '?') or some other byte: it
      // is stored as false, a change, so the file's byte is what it must read as.
      static const std::vector<char> others = {' ', '?', '1', 'p', 'x'};
      if (random.chance(10)) {
        const std::string other(1, random.pick(others));
        return {dbf_cell::raw(other), other};
      }
      const auto& [form, shown] = random.pick(forms);
      return {dbf_cell::raw(std::string(1, form)), shown};
    }
    case 'I': {
      const std::int64_t value = random.chance(10) ? random.pick(std::vector<std::int64_t>{INT32_MIN, INT32_MAX, 0, -1})
                                                   : random.between(INT32_MIN, INT32_MAX);
      return {dbf_cell::integer(value), std::to_string(value)};
    }
    case '+': {
      const std::int64_t value = next_auto_;
      next_auto_ += random.between(1, 1000);
      return {dbf_cell::integer(value), std::to_string(value)};
    }
    case 'Y': {
      const std::int64_t units = random.between(-900000000000000000, 900000000000000000) / (random.chance(50) ? 1 : 10000);
      const std::int64_t whole = units / 10000, part = (units < 0 ? -units : units) % 10000;
      const std::string text = (units < 0 && whole == 0 ? "-" : "") + std::to_string(whole) + "." +
                               tk_format("%04d", int(part));
      return {dbf_cell::currency(units), e2e_expected_table::oracle_number(text)};
    }
    case 'B':
    case 'O': {
      // Now and then a double Oracle's NUMBER cannot hold: a change.
      if (random.chance(4)) {
        const double far = random.pick(std::vector<double>{1e200, -1e130, 1e-300, -5e-324, std::nan(""), HUGE_VAL});
        return {dbf_cell::number(far), "<beyond NUMBER>"};
      }
      // A decimal of at most 15 digits, which a double and a NUMBER both keep.
      const std::int64_t mantissa = random.between(-999999999999999, 999999999999999) /
                                    static_cast<std::int64_t>(random.pick(std::vector<int>{1, 1000, 1000000}));
      const int exponent = static_cast<int>(random.between(-20, 20));
      const std::string exact = tk_format("%I64dE%d", mantissa, exponent);
      return {dbf_cell::number(std::strtod(exact.c_str(), nullptr)),
              e2e_expected_table::oracle_number(plain_decimal(mantissa, exponent))};
    }
    case 'M': {
      if (blank) return {dbf_cell::null(), ""};
      const std::u16string text = text_of(random.chance(20) ? 2000 : 60);
      return {dbf_cell::text(text), utf8(text)};
    }
    default: {  // W, G: bytes in a blob
      if (blank) return {dbf_cell::null(), ""};
      std::string bytes;
      const int size = static_cast<int>(random.between(1, 80));
      for (int i = 0; i < size; ++i) bytes += static_cast<char>(random.between(0, 255));
      return {dbf_cell::memo(bytes), hex_of(bytes)};
    }
  }
}

void e2e_random_table::write(const std::filesystem::path& folder) const {
  writer_.write(folder, oracle_name() + ".DBF");
}

bool e2e_random_table::holds_doubles(std::size_t column) const {
  return letters_[column] == 'B' || letters_[column] == 'O';
}

std::string e2e_random_table::oracle_name() const {
  std::string upper = name_;
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return upper;
}

std::string e2e_random_table::query() const {
  std::string text = "SELECT ";
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    const std::string quoted = "\"" + columns_[c] + "\"";
    const std::string date = "SUBSTR(" + quoted + ", 1, " + std::to_string(date_text_size(letters_[c])) + ") " + quoted;
    text += (c ? ", " : "") + (is_date_letter(letters_[c]) ? date : quoted);
  }
  return text + " FROM \"" + oracle_name() + "\" ORDER BY ROWID";
}
