#include "emu_merge_names.hpp"

#include "emu_error.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

// The emulation's own placeholders start with a character no bind name can hold.
constexpr char16_t own_mark = u'\x01';

emu_token placeholder(const emu_token& at, char16_t kind, std::size_t index) {
  emu_token t = at;
  t.kind = token_kind::param;
  t.text = std::u16string{own_mark, kind} + u16(std::to_string(index));
  return t;
}

bool is_comparison(const emu_token& t) {
  for (const char* op : {"=", "<>", "!=", "^=", "<", ">", "<=", ">="})
    if (t.is_symbol(op)) return true;
  return false;
}

// Words that cannot name a column unless quoted.
bool is_reserved(const emu_token& t) {
  if (t.kind != token_kind::word) return false;
  for (const char* word : {"AND", "OR", "NOT", "NULL", "IS", "IN", "LIKE", "BETWEEN", "EXISTS", "SELECT",
                           "FROM", "WHERE", "DATE", "ANY", "ALL", "PRIOR", "ESCAPE"})
    if (t.is_word(word)) return true;
  return false;
}

bool is_condition(merge_clause where) {
  return where == merge_clause::on || where == merge_clause::update_where || where == merge_clause::delete_where;
}

}  // namespace

emu_merge_names::emu_merge_names(const emu_merge& statement, const std::vector<emu_token>& tokens,
                                 std::shared_ptr<const emu_table_def> target)
    : statement_(statement), tokens_(tokens), target_(std::move(target)) {
  std::size_t n = 0;
  for (const auto& t : tokens_) occurrence_.push_back(t.kind == token_kind::param ? n++ : n);
}

std::vector<emu_token> emu_merge_names::clause(emu_token_span span, merge_clause where) {
  std::vector<emu_token> out;
  std::vector<int> target_at;
  for (std::size_t i = span.begin; i < span.end; ++i) {
    const emu_token& t = tokens_[i];
    if (t.kind == token_kind::param) {
      binds_.emplace_back(t.text, occurrence_[i]);
      out.push_back(placeholder(t, u'B', binds_.size() - 1));
      target_at.push_back(-1);
    } else if (where == merge_clause::source || !(t.is_identifier() && reference(i, span.end, where, out, target_at))) {
      out.push_back(t);
      target_at.push_back(-1);
    }
  }
  if (is_condition(where)) note_comparisons(out, target_at);
  emu_token end;
  end.begin = end.end = span.end < tokens_.size() ? tokens_[span.end].begin : 0;
  out.push_back(end);
  return out;
}

bool emu_merge_names::reference(std::size_t& i, std::size_t end, merge_clause where, std::vector<emu_token>& out,
                                std::vector<int>& target_at) {
  const emu_token& t = tokens_[i];
  if (i > 0 && tokens_[i - 1].is_symbol(".")) return false;  // the end of a longer name
  if (i + 1 < end && tokens_[i + 1].is_symbol(".")) {
    if (i + 2 >= end || !tokens_[i + 2].is_identifier()) return false;
    const emu_token& name = tokens_[i + 2];
    if (name.is_word("NEXTVAL") || name.is_word("CURRVAL")) return false;
    if (t.text == statement_.target_alias) {
      const int column = target_->find_column(name.text);
      if (column < 0) throw ora_error(904, {qualified(t.text, name.text)});
      emit_target(column, t, where, out, target_at);
    } else if (!statement_.source_alias.empty() && t.text == statement_.source_alias) {
      const int column = source_column(name.text);
      if (column < 0) throw ora_error(904, {qualified(t.text, name.text)});
      out.push_back(placeholder(t, u'S', static_cast<std::size_t>(column)));
      target_at.push_back(-1);
    } else if (hidden_by_alias(t.text)) {
      throw ora_error(904, {qualified(t.text, name.text)});
    } else {
      return false;
    }
    i += 2;
    return true;
  }
  if (is_reserved(t) || (t.kind == token_kind::word && i + 1 < end && tokens_[i + 1].is_symbol("(")))
    return false;
  const int target = target_->find_column(t.text), source = source_column(t.text);
  if (target >= 0 && source >= 0) throw ora_error(918);
  if (target >= 0) {
    emit_target(target, t, where, out, target_at);
    return true;
  }
  if (source < 0) return false;
  out.push_back(placeholder(t, u'S', static_cast<std::size_t>(source)));
  target_at.push_back(-1);
  return true;
}

void emu_merge_names::emit_target(int column, const emu_token& at, merge_clause where,
                                  std::vector<emu_token>& out, std::vector<int>& target_at) {
  const std::u16string& name = target_->columns[static_cast<std::size_t>(column)].name;
  if (where == merge_clause::insert_value)
    throw ora_error(38101, {qualified(statement_.target_alias, name)});
  if (where == merge_clause::insert_where)
    throw ora_error(38102, {qualified(statement_.target_alias, name)});
  if (where == merge_clause::set_value) {
    out.push_back(placeholder(at, u'T', static_cast<std::size_t>(column)));
    target_at.push_back(-1);
    return;
  }
  if (where == merge_clause::on) on_columns_.push_back(column);
  emu_token t = at;
  t.kind = token_kind::quoted;
  t.text = name;
  out.push_back(t);
  target_at.push_back(column);
}

// A source column compared with a target column is read as that column's type, so that
// the comparison is Oracle's (a number with a number, a date with a date).
void emu_merge_names::note_comparisons(std::vector<emu_token>& out, const std::vector<int>& target_at) const {
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i].kind != token_kind::param || out[i].text.size() < 2 || out[i].text[0] != own_mark ||
        out[i].text[1] != u'S')
      continue;
    int column = -1;
    if (i >= 2 && is_comparison(out[i - 1])) column = target_at[i - 2];
    if (column < 0 && i + 2 < out.size() && is_comparison(out[i + 1])) column = target_at[i + 2];
    if (column >= 0) out[i].text += u":" + u16(std::to_string(column));
  }
}

void emu_merge_names::check_set_columns() const {
  for (const auto& a : statement_.set) {
    const int column = target_->find_column(a.column);
    if (column < 0) throw ora_error(904, {qualified(statement_.target_alias, a.column)});
    for (int read : on_columns_)
      if (read == column) throw ora_error(38104, {qualified(statement_.target_alias, a.column)});
  }
}

emu_merge_ref emu_merge_names::decode(const std::u16string& placeholder) {
  emu_merge_ref ref;
  if (placeholder.size() < 3 || placeholder[0] != own_mark) throw ora_error(1008);
  ref.k = placeholder[1] == u'S'   ? emu_merge_ref::kind::source_column
          : placeholder[1] == u'T' ? emu_merge_ref::kind::target_column
                                   : emu_merge_ref::kind::statement_bind;
  const std::string digits = to_utf8(placeholder.substr(2));
  const auto colon = digits.find(':');
  ref.index = std::stoul(digits.substr(0, colon));
  if (colon != std::string::npos) ref.compared_with = std::stoi(digits.substr(colon + 1));
  return ref;
}

// A table given an alias is known by the alias only.
bool emu_merge_names::hidden_by_alias(const std::u16string& name) const {
  return (name == statement_.table && statement_.target_alias != statement_.table) ||
         (!statement_.source_table.empty() && name == statement_.source_table &&
          statement_.source_alias != statement_.source_table);
}

int emu_merge_names::source_column(const std::u16string& name) const {
  for (std::size_t i = 0; i < source_columns_.size(); ++i)
    if (source_columns_[i] == name) return static_cast<int>(i);
  return -1;
}

std::string emu_merge_names::qualified(const std::u16string& qualifier, const std::u16string& name) const {
  return "\"" + to_utf8(qualifier) + "\".\"" + to_utf8(name) + "\"";
}

}  // namespace ociemu
