// The query dialog's logic ("Add Query"): a name to keep a SELECT text
// under, the text itself, OK, which checks both, and Test Query, which has
// the connected Oracle database parse it. Queries are kept in the tables
// page and in profiles; the run converts tables only.
#pragma once

#include <string>

class udb_database;
class wizard_prompts;

class query_model {
 public:
  enum class shape { empty, wrong, select };
  static constexpr int help_context = 1024;
  static constexpr std::size_t name_limit = 2048;
  static constexpr std::size_t text_limit = 10000;
  static constexpr const char* no_name = "Table name is empty!";
  static constexpr const char* no_query = "Query is empty!";
  static constexpr const char* not_select = "The query must start with SELECT.";
  static constexpr const char* correct = "The query is correct.";
  // The answer to a query the server refused, with where to ask for help.
  static std::string syntax_error();
  // What Test Query says of a query the server refuses for another reason
  // than its syntax: Oracle's own message.
  static std::string refused(const std::string& why);

  // `database`: where Test Query runs it (borrowed; may be null when not
  // connected). `name` and `text` are those of the query being edited.
  query_model(udb_database* database, const std::u16string& name, const std::u16string& text);

  // Empty text; a text that (after leading blanks and line breaks) does not
  // begin with SELECT in any case; or a SELECT, then without those blanks
  // in `query`.
  static shape check_query(const std::u16string& text, std::u16string& query);

  // OK: true, with the results set, when the name and the query will do;
  // otherwise the user was told what is missing (the name first).
  bool accept(const wizard_prompts& prompts);
  // Test Query: the server's verdict, shown in `prompts`. An empty or
  // non-SELECT text is not sent.
  void test(const wizard_prompts& prompts) const;

  // After accept(): the name and the checked SELECT text.
  const std::u16string& result_name() const { return result_name_; }
  const std::u16string& result_query() const { return result_query_; }

  // The fields as typed.
  std::u16string name;
  std::u16string text;

 private:
  // The text within its limit, checked; says what is wrong.
  bool checked_query(const wizard_prompts& prompts, std::u16string& query) const;

  udb_database* database_;
  std::u16string result_name_;
  std::u16string result_query_;
};
