// Guesses the code page of text whose table names none (driver byte 0, no
// .cpg), from a sample of its values. Each candidate page decodes the
// sample; a word with characters outside ASCII counts for the page when it
// is letters of one script in a usual case pattern (all lower, all upper,
// or capitalised), and against it otherwise (box-drawing characters, control
// codes, symbols between letters, "бЕПЮЯМЪ"). Cyrillic words are weighed by
// how common their letters are in Russian, Ukrainian and Belarusian text, so
// that pages that only reorder the letters (1251, KOI8-R) differ too. A page
// that decodes the sample exactly as an earlier candidate does is that
// candidate. ICU's detector does not know the DOS pages, hence our own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct dbf_code_page_guess {
  int code_page = 0;       // 0: no guess (no text outside ASCII)
  int sureness = 0;        // percent: how far the guess leads the next page
  std::size_t characters = 0;  // characters outside ASCII the guess read
  double score = 0;        // per character, from -1 (garbage) to about 1.5
};

class dbf_code_page_detector {
 public:
  // The pages a guess is chosen from, in order of preference for pages that
  // decode a sample alike.
  static const std::vector<int>& candidates();

  // One value of the sample, as the file holds it.
  void add(std::string_view value);
  // Enough text to guess from.
  bool has_enough() const { return high_bytes_ >= wanted_high_bytes; }

  dbf_code_page_guess guess() const;
  // The sample's score in `code_page` (any page, not only a candidate);
  // -1 when the sample does not decode in it.
  double score(int code_page) const;
  // True when `code_page` decodes the sample as the guess's page does.
  bool decodes_alike(int code_page, int other) const;

 private:
  static constexpr std::size_t wanted_high_bytes = 4000;
  struct scored {
    double total = 0;
    std::size_t characters = 0;
  };
  scored score_of(int code_page) const;
  std::u16string decoded(int code_page) const;

  std::vector<std::string> values_;
  std::size_t high_bytes_ = 0;
};
