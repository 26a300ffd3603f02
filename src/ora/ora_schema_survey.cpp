#include "ora_schema_survey.hpp"

#include "ora_database.hpp"
#include "ora_exception.hpp"
#include "ora_query_results.hpp"
#include "ora_record.hpp"

namespace {

std::u16string quota_text(const std::vector<std::u16string>& row) {
  const std::u16string most = row[2] == u"-1" ? u"unlimited" : row[2];
  return row[0] + u": " + row[1] + u" of " + most + u" bytes used";
}

}  // namespace

ora_schema_survey::ora_schema_survey(ora_database& schema) {
  try {
    tables = schema.get_tables();
  } catch (const ora_exception& e) {
    unread.push_back("tables: " + e.message);
  }
  ora_engine& engine = schema.engine();
  for (const auto& row : rows(engine,
                              u"select PARAMETER, VALUE from NLS_DATABASE_PARAMETERS where PARAMETER in "
                              u"('NLS_CHARACTERSET', 'NLS_NCHAR_CHARACTERSET')",
                              2, "character sets"))
    (row[0] == u"NLS_CHARACTERSET" ? charset : national_charset) = row[1];
  for (const auto& row : rows(engine, u"select PRIVILEGE from SESSION_PRIVS order by PRIVILEGE", 1, "privileges"))
    privileges.push_back(row[0]);
  for (const auto& row : rows(engine,
                              u"select TABLESPACE_NAME, BYTES, MAX_BYTES from USER_TS_QUOTAS order by TABLESPACE_NAME",
                              3, "quotas"))
    quotas.push_back(quota_text(row));
}

std::vector<std::vector<std::u16string>> ora_schema_survey::rows(ora_engine& engine, const std::u16string& query,
                                                                 unsigned columns, const char* what) {
  std::vector<std::vector<std::u16string>> out;
  try {
    ora_query_results results(engine, columns, query);
    while (ora_record* row = results.next_record()) {
      std::vector<std::u16string>& values = out.emplace_back();
      for (unsigned i = 0; i < columns; ++i) values.push_back((*row)[i].to_wstring());
    }
  } catch (const ora_exception& e) {
    unread.push_back(std::string(what) + ": " + e.message);
  }
  return out;
}
