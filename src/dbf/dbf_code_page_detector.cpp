#include "dbf_code_page_detector.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "tk_code_page.hpp"
#include "tk_exception.hpp"

namespace {

enum class script { none, latin, cyrillic, greek, hebrew, arabic };
enum class letter_case { none, upper, lower };

struct letter {
  script of = script::none;
  letter_case kind = letter_case::none;
};

bool is_ascii_letter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

letter_case latin_extended_a_case(char16_t c) {
  if (c == 0x138 || c == 0x149 || c == 0x17F) return letter_case::lower;
  // From Ĺ to ň and from Ź to ž the capital is the odd one of each pair.
  const bool odd_capitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
  return (c % 2 == 1) == odd_capitals ? letter_case::upper : letter_case::lower;
}

letter classify(char16_t c) {
  if (c >= u'A' && c <= u'Z') return {script::latin, letter_case::upper};
  if (c >= u'a' && c <= u'z') return {script::latin, letter_case::lower};
  if (c == 0xAA || c == 0xBA) return {script::latin, letter_case::lower};
  if (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7)
    return {script::latin, c < 0xDF ? letter_case::upper : letter_case::lower};
  if (c >= 0x100 && c <= 0x17F) return {script::latin, latin_extended_a_case(c)};
  if (c >= 0x180 && c <= 0x24F) return {script::latin, letter_case::lower};
  if (c >= 0x386 && c <= 0x3AB && c != 0x387) return {script::greek, letter_case::upper};
  if (c >= 0x3AC && c <= 0x3CE) return {script::greek, letter_case::lower};
  if (c >= 0x400 && c <= 0x42F) return {script::cyrillic, letter_case::upper};
  if (c >= 0x430 && c <= 0x45F) return {script::cyrillic, letter_case::lower};
  if (c >= 0x460 && c <= 0x4FF) return {script::cyrillic, c % 2 == 0 ? letter_case::upper : letter_case::lower};
  if (c >= 0x5D0 && c <= 0x5EA) return {script::hebrew, letter_case::none};
  if ((c >= 0x621 && c <= 0x64A) || (c >= 0x671 && c <= 0x6D3)) return {script::arabic, letter_case::none};
  return {};
}

// Signs text holds beside words: quotes, dashes, the numero and degree
// signs, currency, fractions. Between letters they are garbage.
bool is_usual_sign(char16_t c) {
  switch (c) {
    case 0xA2: case 0xA3: case 0xA4: case 0xA5: case 0xA7: case 0xA9: case 0xAB: case 0xAE: case 0xB0:
    case 0xB1: case 0xB2: case 0xB3: case 0xB5: case 0xB7: case 0xB9: case 0xBB: case 0xBC: case 0xBD:
    case 0xBE: case 0xD7: case 0xF7: case 0x2013: case 0x2014: case 0x2018: case 0x2019: case 0x201A:
    case 0x201C: case 0x201D: case 0x201E: case 0x2026: case 0x20AC: case 0x2116: case 0x2122:
      return true;
    default:
      return false;
  }
}

bool is_separator(char16_t c) { return (c < 0x80 && !is_ascii_letter(c)) || c == 0xA0; }

// How common a Cyrillic letter is, per ten thousand letters of Russian text
// (published letter counts); the Ukrainian and Belarusian letters as they
// are common there.
double cyrillic_frequency(char16_t lower) {
  static constexpr double russian[32] = {
      801, 159, 454, 170, 298, 845, 94, 165, 735, 121, 349, 440, 321, 670, 1097, 281,  // а-п
      473, 547, 626, 262, 26,  97,  48, 144, 73,  36,  4,   190, 174, 32,  64,   201,  // р-я
  };
  if (lower >= 0x430 && lower <= 0x44F) return russian[lower - 0x430];
  switch (lower) {
    case 0x451: return 20;   // ё
    case 0x456: return 500;  // і
    case 0x457: return 60;   // ї
    case 0x454: return 40;   // є
    case 0x491: return 10;   // ґ
    case 0x45E: return 100;  // ў
    default: return 1;
  }
}

char16_t lower_cyrillic(char16_t c) {
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
  if (c >= 0x460 && c <= 0x4FF && c % 2 == 0) return static_cast<char16_t>(c + 1);
  return c;
}

// What a Cyrillic letter adds beyond 1: more for the common letters, less
// for the rare ones, none for one of average frequency (1/33).
double cyrillic_weight(char16_t c) {
  const double ratio = cyrillic_frequency(lower_cyrillic(c)) / (10000.0 / 33);
  return std::clamp(std::log2(ratio) * 0.25, -0.5, 0.3);
}

// What a letter outside ASCII counts for its page. Hebrew and Arabic letters
// count as much as common Cyrillic ones: KOI8-R reads their bytes as Cyrillic
// capitals. The Icelandic eth and thorn count less: Windows-1252 reads
// Turkish and Baltic letters as them.
double letter_weight(char16_t c, script of) {
  if (of == script::cyrillic) return 1 + cyrillic_weight(c);
  if (of == script::hebrew || of == script::arabic) return 1.15;
  if (c == 0xD0 || c == 0xDE || c == 0xF0 || c == 0xFE) return 0.5;
  return 1;
}

bool usual_case_pattern(std::u16string_view word) {
  std::size_t upper = 0, lower = 0;
  for (char16_t c : word) {
    const letter_case kind = classify(c).kind;
    upper += kind == letter_case::upper;
    lower += kind == letter_case::lower;
  }
  if (upper == 0 || lower == 0) return true;
  // Capitalised: one capital, first.
  return upper == 1 && classify(word.front()).kind == letter_case::upper;
}

// A word's score: its characters outside ASCII, each for the page when the
// word is plainly one (signs around it count for nothing), against it when not.
double word_score(std::u16string_view word, std::size_t& characters) {
  for (char16_t c : word) characters += c >= 0x80;
  while (!word.empty() && is_usual_sign(word.front())) word.remove_prefix(1);
  while (!word.empty() && is_usual_sign(word.back())) word.remove_suffix(1);
  if (word.empty()) return 0;
  std::optional<script> of;
  double weight = 0, non_ascii = 0;
  bool plain = usual_case_pattern(word);
  for (char16_t c : word) {
    const letter l = classify(c);
    if (c >= 0x80) ++non_ascii;
    if (l.of == script::none || (of && *of != l.of)) plain = false;
    if (l.of != script::none) of = l.of;
    if (c >= 0x80) weight += letter_weight(c, l.of);
  }
  // Latin words are mostly ASCII letters, whatever the language; words of
  // accented letters only are Cyrillic or Greek text read in a Latin page.
  if (of == script::latin && word.size() >= 4 && non_ascii > 0.8 * double(word.size())) plain = false;
  return plain ? weight : -non_ascii;
}

}  // namespace

const std::vector<int>& dbf_code_page_detector::candidates() {
  static const std::vector<int> pages = {1252, 1251, 866, 850, 437,  1250, 852, 20866, 21866,
                                         1253, 737,  1254, 857, 1257, 775, 1255, 862, 1256, 65001};
  return pages;
}

void dbf_code_page_detector::add(std::string_view value) {
  std::string text(value);
  for (char& c : text) {
    if (c == '\0') c = ' ';
    high_bytes_ += static_cast<unsigned char>(c) >= 0x80;
  }
  values_.push_back(std::move(text));
}

std::u16string dbf_code_page_detector::decoded(int code_page) const {
  const tk_code_page& page = tk_code_page::get(code_page);
  std::u16string text;
  for (const std::string& value : values_) {
    text += page.decode(value);
    text += u'\n';
  }
  return text;
}

dbf_code_page_detector::scored dbf_code_page_detector::score_of(int code_page) const {
  scored result;
  std::u16string text;
  try {
    text = decoded(code_page);
  } catch (const tk_exception&) {
    result.total = -1;  // not text of that page at all (UTF-8 that is not)
    result.characters = 1;
    return result;
  }
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !is_separator(text[i])) continue;
    if (i > start) result.total += word_score(std::u16string_view(text).substr(start, i - start), result.characters);
    start = i + 1;
  }
  return result;
}

double dbf_code_page_detector::score(int code_page) const {
  const scored s = score_of(code_page);
  return s.characters ? s.total / double(s.characters) : 0;
}

bool dbf_code_page_detector::decodes_alike(int code_page, int other) const {
  try {
    return decoded(code_page) == decoded(other);
  } catch (const tk_exception&) {
    return false;
  }
}

dbf_code_page_guess dbf_code_page_detector::guess() const {
  dbf_code_page_guess best;
  if (high_bytes_ == 0) return best;
  struct result {
    int page;
    double score;
    std::size_t characters;
  };
  std::vector<result> results;
  for (int page : candidates()) {
    const scored s = score_of(page);
    results.push_back({page, s.characters ? s.total / double(s.characters) : 0, s.characters});
  }
  // Best first; among equal scores the earlier candidate.
  std::stable_sort(results.begin(), results.end(),
                   [](const result& a, const result& b) { return a.score > b.score; });
  const result& first = results.front();
  best = {first.page, 0, first.characters, first.score};
  auto other = std::find_if(results.begin() + 1, results.end(),
                            [&](const result& r) { return !decodes_alike(r.page, first.page); });
  const double margin = other == results.end() ? 1.0 : first.score - other->score;
  // A lead of 0.6 per character is certainty; little text makes any lead less sure.
  const double evidence = std::min(1.0, double(first.characters) / 40.0);
  best.sureness = first.score <= 0 ? 0 : static_cast<int>(std::lround(std::clamp(margin / 0.6, 0.0, 1.0) * evidence * 100));
  return best;
}
