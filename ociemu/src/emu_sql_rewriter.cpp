#include "emu_sql_rewriter.hpp"

#include <algorithm>

#include "emu_error.hpp"
#include "emu_rowid.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

std::string quote_identifier(const std::u16string& name) {
  return "\"" + to_utf8(name) + "\"";
}

std::string quote_string(const std::u16string& value) {
  std::string out = "'";
  for (char c : to_utf8(value)) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

bool needs_quotes(const std::u16string& word) {
  return word.find_first_of(u"$#") != std::u16string::npos;
}

class rewriter {
 public:
  explicit rewriter(const std::vector<emu_token>& tokens) : t_(tokens) {}

  emu_rewritten_sql run() {
    while (t_[i_].kind != token_kind::end) {
      if (t_[i_].is_symbol(";")) throw ora_error(911);
      follow_order_by();
      if (!special()) emit(plain(t_[i_++]));
    }
    end_sort_key();
    return std::move(out_);
  }

 private:
  // SQL Language Reference, SELECT, order_by_clause: NULLS LAST is the default for ascending
  // order and NULLS FIRST for descending order. SQLite sorts NULL the other way round, so
  // every sort key that names neither is given Oracle's.
  void follow_order_by() {
    const emu_token& t = t_[i_];
    if (!order_.active) {
      if (t.is_word("ORDER") && at(1).is_word("BY")) order_ = {true, depth_, false, false};
      return;
    }
    if (depth_ != order_.depth) return;
    if (t.is_symbol(",")) return end_sort_key();
    if (t.is_symbol(")") || t.is_word("FOR") || t.is_word("OFFSET") || t.is_word("FETCH") || t.is_word("LIMIT")) {
      end_sort_key();
      order_.active = false;
      return;
    }
    if (t.is_word("DESC")) order_.descending = true;
    if (t.is_word("NULLS")) order_.nulls_given = true;
  }

  void end_sort_key() {
    if (!order_.active) return;
    if (!order_.nulls_given) emit(order_.descending ? "NULLS FIRST" : "NULLS LAST");
    order_.descending = order_.nulls_given = false;
  }

  // Blanks only where two words would otherwise run together, so that SQLite names an
  // expression column as Oracle does ("COUNT(*)").
  void emit(const std::string& text) {
    if (!out_.sql.empty() && !text.empty() && wordish(out_.sql.back()) && wordish(text.front()))
      out_.sql += ' ';
    out_.sql += text;
  }

  static bool wordish(char c) {
    return is_ascii_alnum(c) || c == '_' || c == '"' || c == '\'' ||
           c == '?' || c == '$' || c == '#' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
  }

  std::string plain(const emu_token& t) {
    switch (t.kind) {
      case token_kind::word:
        return needs_quotes(t.text) ? quote_identifier(t.text) : to_utf8(t.text);
      case token_kind::quoted: return quote_identifier(t.text);
      case token_kind::string: return quote_string(t.text);
      case token_kind::number: return to_utf8(t.text);
      case token_kind::param:
        out_.params.push_back(t.text);
        return "?";
      case token_kind::symbol:
        if (t.text == u"!=" || t.text == u"^=") return "<>";
        if (t.text == u"(") ++depth_;
        if (t.text == u")") --depth_;
        return to_utf8(t.text);
      default: return {};
    }
  }

  // Handles the constructs SQLite spells differently; false when the token is plain.
  bool special() {
    const emu_token& t = t_[i_];
    if (t.is_word("SYS") && at(1).is_symbol(".")) {
      i_ += 2;  // SYS.USER_VIEWS reads the user's view
      return true;
    }
    if (t.is_word("SYSDATE")) return replace("ociemu_sysdate()");
    if (t.is_word("SYSTIMESTAMP")) return replace("ociemu_systimestamp()");
    if (t.is_identifier() && at(1).is_symbol(".") &&
        (at(2).is_word("NEXTVAL") || at(2).is_word("CURRVAL"))) {
      emit("ociemu_sequence(" + quote_string(t.text) + ", " +
           (at(2).is_word("NEXTVAL") ? "1" : "0") + ")");
      i_ += 3;
      return true;
    }
    if (t.is_word("ROWID") && at(1).is_symbol("=") && at(2).kind == token_kind::string) {
      const auto rowid = emu_rowid::parse(to_utf8(at(2).text));
      if (!rowid) throw ora_error(1410);
      emit("ROWID = " + std::to_string(rowid->row));
      i_ += 3;
      return true;
    }
    if (t.is_word("ROWID") && at(1).is_symbol("=") && at(2).kind == token_kind::param) {
      out_.params.push_back(at(2).text);
      emit("ROWID = ociemu_rowid_number(?)");
      i_ += 3;
      return true;
    }
    if (depth_ == 0 && t.is_word("FROM") && out_.select_list_end == std::string::npos) {
      out_.select_list_end = out_.sql.size();
      return false;
    }
    if (depth_ == 0 && t.is_word("FOR") && at(1).is_word("UPDATE")) {
      out_.for_update = true;
      while (t_[i_].kind != token_kind::end && !t_[i_].is_symbol(";")) ++i_;
      return true;
    }
    return false;
  }

  const emu_token& at(std::size_t ahead) const {
    return t_[std::min(i_ + ahead, t_.size() - 1)];
  }

  bool replace(const char* text) {
    emit(text);
    ++i_;
    return true;
  }

  const std::vector<emu_token>& t_;
  std::size_t i_ = 0;
  int depth_ = 0;
  emu_rewritten_sql out_;
  struct {
    bool active;
    int depth;
    bool descending, nulls_given;
  } order_{false, 0, false, false};
};

}  // namespace

emu_rewritten_sql emu_sql_rewriter::rewrite(const std::vector<emu_token>& tokens) {
  return rewriter(tokens).run();
}

}  // namespace ociemu
