#include "udb_database.hpp"

#include "tk_case.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

udb_database::udb_database(std::u16string name_, udb_name_match names)
    : name(std::move(name_)), table_names(names) {
  tk_log(2, "udb_database::ctor(%s)", name);
}

udb_database::~udb_database() { tk_log(2, "udb_database::dtor"); }

int udb_database::find_table(const std::u16string& wanted) const {
  for (std::size_t i = 0; i < tables.size(); ++i) {
    tk_log(1, "Compare with %s", tables[i]);
    bool same = table_names == udb_name_match::exact ? tables[i] == wanted : tk_loose_equal(tables[i], wanted);
    if (same) return static_cast<int>(i);
  }
  return -1;
}

bool udb_database::is_table_exist(const std::u16string& wanted) {
  tk_log(1, "udb_database::is_table_exist(%s,case_sensitive=%d)", wanted,
         int(table_names == udb_name_match::exact));
  if (find_table(wanted) >= 0) {
    tk_log(1, "table exists");
    return true;
  }
  tk_log(1, "table not found");
  return false;
}

bool udb_database::delete_tab(const std::u16string& wanted) {
  tk_log(1, "udb_database::delete_tab (%s)", wanted);
  int at = find_table(wanted);
  if (at < 0) TK_ASSERTION_FAILED();
  tables.erase(tables.begin() + at);
  return true;
}

std::unique_ptr<udb_recordset> udb_database::query(const std::u16string&) {
  TK_ASSERTION_FAILED();
}
