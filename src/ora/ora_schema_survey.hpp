// What the connected schema holds and allows, read from the catalog without
// changing anything: its tables, the character sets, the session's
// privileges and the tablespace quotas. A view that cannot be read is
// listed in `unread` with Oracle's message instead of ending the survey.
#pragma once

#include <string>
#include <vector>

class ora_database;
class ora_engine;

struct ora_schema_survey {
  // Reads everything from the connected `schema`.
  explicit ora_schema_survey(ora_database& schema);

  std::vector<std::u16string> tables;
  std::u16string charset;
  std::u16string national_charset;
  std::vector<std::u16string> privileges;
  // "USERS: 0 of unlimited bytes used", one a tablespace.
  std::vector<std::u16string> quotas;
  std::vector<std::string> unread;

 private:
  // The rows of a query, each row's `columns` values; an error is noted in
  // `unread` under `what`.
  std::vector<std::vector<std::u16string>> rows(ora_engine& engine, const std::u16string& query, unsigned columns,
                                                const char* what);
};
