#include "query_model.hpp"

#include <algorithm>

#include "ora_exception.hpp"
#include "tk_exception.hpp"
#include "tk_logger.hpp"
#include "tk_send_bug.hpp"
#include "udb_database.hpp"
#include "wizard_prompts.hpp"

namespace {
constexpr std::u16string_view select_word = u"SELECT";

bool is_blank(char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r' || c == u' '; }

char16_t upper_ascii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// The errors Oracle gives for a statement it cannot parse (Oracle Database
// Error Messages, ORA-00900 to ORA-00936 and ORA-01756). Any other error, a
// missing table or column, a missing privilege, is not the query's syntax.
bool is_syntax_error(int ora_number) {
  static constexpr int parse_errors[] = {900, 901, 905, 906, 907, 908, 909, 911, 917, 920, 921,
                                         923, 924, 925, 926, 927, 928, 931, 933, 936, 1756};
  return std::find(std::begin(parse_errors), std::end(parse_errors), ora_number) != std::end(parse_errors);
}
}  // namespace

query_model::query_model(udb_database* database, const std::u16string& name_now, const std::u16string& text_now)
    : name(name_now), text(text_now), database_(database), result_name_(name_now), result_query_(text_now) {}

std::string query_model::syntax_error() {
  return std::string("You have an error in your query syntax. Make sure that it is a correct SQL SELECT-statement. ") +
         "If it is and the server still refuses it, write to " + tk_support_mailbox +
         " with the query and the server's version.";
}

std::string query_model::refused(const std::string& why) { return "The query cannot be run:\n" + why; }

query_model::shape query_model::check_query(const std::u16string& text, std::u16string& query) {
  if (text.empty()) return shape::empty;
  std::size_t start = 0;
  while (start < text.size() && is_blank(text[start])) ++start;
  query = text.substr(start);
  if (query.size() < select_word.size()) return shape::wrong;
  for (std::size_t i = 0; i < select_word.size(); ++i)
    if (upper_ascii(query[i]) != select_word[i]) return shape::wrong;
  return shape::select;
}

bool query_model::checked_query(const wizard_prompts& prompts, std::u16string& query) const {
  switch (check_query(text.substr(0, text_limit), query)) {
    case shape::wrong:
      prompts.error(not_select);
      return false;
    case shape::empty:
      prompts.message(no_query);
      return false;
    case shape::select:
      break;
  }
  return true;
}

bool query_model::accept(const wizard_prompts& prompts) {
  tk_log(2, "query_model::accept");
  if (name.empty()) {
    prompts.message(no_name);
    return false;
  }
  std::u16string query;
  if (!checked_query(prompts, query)) return false;
  result_name_ = name.substr(0, name_limit);
  result_query_ = query;
  return true;
}

void query_model::test(const wizard_prompts& prompts) const {
  std::u16string query;
  if (!checked_query(prompts, query)) return;
  try {
    if (!database_) throw tk_exception("Not connected to Oracle");
    database_->test_query(query);
  } catch (const ora_exception& e) {
    tk_log(3, "Test query failed: %s", e.message);
    prompts.error(is_syntax_error(e.ora_number()) ? syntax_error() + "\n\n" + e.message : refused(e.message));
    return;
  } catch (const tk_exception& e) {
    tk_log(3, "Test query failed: %s", e.message);
    prompts.error(refused(e.message));
    return;
  }
  prompts.message(correct);
}
