#include "emu_lexer.hpp"

#include "emu_error.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

constexpr std::size_t identifier_limit = 128;  // bytes, as in 19c

bool is_letter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c >= 0xC0;
}
bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool is_word_char(char16_t c) {
  return is_letter(c) || is_digit(c) || c == u'_' || c == u'$' || c == u'#';
}

void check_length(const std::u16string& identifier) {
  if (utf8_length(identifier) > identifier_limit) throw ora_error(972);
}

class lexer {
 public:
  explicit lexer(const std::u16string& sql) : s_(sql) {}

  std::vector<emu_token> run() {
    std::vector<emu_token> out;
    for (;;) {
      skip_space_and_comments();
      emu_token t;
      t.begin = i_;
      if (i_ >= s_.size()) {
        t.end = i_;
        out.push_back(t);
        return out;
      }
      read(t);
      t.end = i_;
      out.push_back(std::move(t));
    }
  }

 private:
  void skip_space_and_comments() {
    for (;;) {
      while (i_ < s_.size() && (s_[i_] == u' ' || s_[i_] == u'\t' || s_[i_] == u'\n' ||
                                s_[i_] == u'\r'))
        ++i_;
      if (starts(u"--")) {
        while (i_ < s_.size() && s_[i_] != u'\n') ++i_;
      } else if (starts(u"/*")) {
        const auto close = s_.find(u"*/", i_ + 2);
        i_ = close == std::u16string::npos ? s_.size() : close + 2;
      } else {
        return;
      }
    }
  }

  bool starts(const char16_t* p) const { return s_.compare(i_, std::char_traits<char16_t>::length(p), p) == 0; }

  void read(emu_token& t) {
    const char16_t c = s_[i_];
    if (is_letter(c)) return word(t);
    if (c == u'"') return quoted(t);
    if (c == u'\'') return string(t);
    if (is_digit(c) || (c == u'.' && i_ + 1 < s_.size() && is_digit(s_[i_ + 1]))) return number(t);
    if (c == u':' && i_ + 1 < s_.size() && is_word_char(s_[i_ + 1])) return param(t);
    symbol(t);
  }

  void word(emu_token& t) {
    const std::size_t start = i_;
    while (i_ < s_.size() && is_word_char(s_[i_])) ++i_;
    t.kind = token_kind::word;
    t.text = upper_identifier(s_.substr(start, i_ - start));
    check_length(t.text);
  }

  void quoted(emu_token& t) {
    const auto close = s_.find(u'"', i_ + 1);
    if (close == std::u16string::npos) throw ora_error(1740);
    t.kind = token_kind::quoted;
    t.text = s_.substr(i_ + 1, close - i_ - 1);
    i_ = close + 1;
    if (t.text.empty()) throw ora_error(1741);
    check_length(t.text);
  }

  void string(emu_token& t) {
    t.kind = token_kind::string;
    ++i_;
    for (;;) {
      if (i_ >= s_.size()) throw ora_error(1756);
      if (s_[i_] == u'\'') {
        if (i_ + 1 < s_.size() && s_[i_ + 1] == u'\'') {
          t.text += u'\'';
          i_ += 2;
          continue;
        }
        ++i_;
        return;
      }
      t.text += s_[i_++];
    }
  }

  void number(emu_token& t) {
    const std::size_t start = i_;
    while (i_ < s_.size() && (is_digit(s_[i_]) || s_[i_] == u'.')) ++i_;
    if (i_ < s_.size() && (s_[i_] == u'e' || s_[i_] == u'E')) {
      std::size_t j = i_ + 1;
      if (j < s_.size() && (s_[j] == u'+' || s_[j] == u'-')) ++j;
      if (j < s_.size() && is_digit(s_[j])) {
        i_ = j;
        while (i_ < s_.size() && is_digit(s_[i_])) ++i_;
      }
    }
    t.kind = token_kind::number;
    t.text = s_.substr(start, i_ - start);
  }

  void param(emu_token& t) {
    const std::size_t start = ++i_;
    while (i_ < s_.size() && is_word_char(s_[i_])) ++i_;
    t.kind = token_kind::param;
    t.text = upper_identifier(s_.substr(start, i_ - start));
  }

  void symbol(emu_token& t) {
    static const char16_t* const pairs[] = {u"<>", u"!=", u"<=", u">=", u"||", u":=", u"^="};
    t.kind = token_kind::symbol;
    for (const char16_t* p : pairs) {
      if (starts(p)) {
        t.text = p;
        i_ += 2;
        return;
      }
    }
    t.text = s_.substr(i_++, 1);
  }

  const std::u16string& s_;
  std::size_t i_ = 0;
};

}  // namespace

namespace {

bool same_ascii(const std::u16string& text, const char* ascii) {
  std::size_t i = 0;
  for (; ascii[i] != 0; ++i)
    if (i >= text.size() || text[i] != static_cast<char16_t>(ascii[i])) return false;
  return i == text.size();
}

}  // namespace

bool emu_token::is_word(const char* keyword) const {
  return kind == token_kind::word && same_ascii(text, keyword);
}

bool emu_token::is_symbol(const char* symbol) const {
  return kind == token_kind::symbol && same_ascii(text, symbol);
}

std::vector<emu_token> tokenize(const std::u16string& sql) { return lexer(sql).run(); }

}  // namespace ociemu
