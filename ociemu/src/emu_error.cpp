#include "emu_error.hpp"

#include <atomic>
#include <cstdio>
#include <map>

namespace ociemu {

namespace {

// Classic (11g to 21c) message texts. Those not listed in our OCI notes were taken from
// Oracle's error-message documentation of the same releases.
const std::map<int, const char*>& message_table() {
  static const std::map<int, const char*> table = {
      {1, "unique constraint (%1) violated"},
      {54, "resource busy and acquire with NOWAIT specified or timeout expired"},
      {600, "internal error code, arguments: [%1]"},
      {900, "invalid SQL statement"},
      {902, "invalid datatype"},
      {903, "invalid table name"},
      {904, "%1: invalid identifier"},
      {901, "invalid CREATE command"},
      {905, "missing keyword"},
      {906, "missing left parenthesis"},
      {907, "missing right parenthesis"},
      {910, "specified length too long for its datatype"},
      {911, "invalid character"},
      {913, "too many values"},
      {917, "missing comma"},
      {918, "column ambiguously defined"},
      {922, "missing or invalid option"},
      {923, "FROM keyword not found where expected"},
      {925, "missing INTO keyword"},
      {926, "missing VALUES keyword"},
      {927, "missing equal sign"},
      {928, "missing SELECT keyword"},
      {932, "inconsistent datatypes: expected %1 got %2"},
      {933, "SQL command not properly ended"},
      {936, "missing expression"},
      {938, "not enough arguments for function"},
      {940, "invalid ALTER command"},
      {942, "table or view does not exist"},
      {947, "not enough values"},
      {950, "invalid DROP option"},
      {953, "missing or invalid index name"},
      {955, "name is already used by an existing object"},
      {957, "duplicate column name"},
      {984, "column not allowed here"},
      {969, "missing ON keyword"},
      {971, "missing SET keyword"},
      {972, "identifier is too long"},
      {1007, "variable not in select list"},
      {1008, "not all variables bound"},
      {1017, "invalid username/password; logon denied"},
      {1031, "insufficient privileges"},
      {1918, "user '%1' does not exist"},
      {959, "tablespace '%1' does not exist"},
      {1036, "illegal variable name/number"},
      {1400, "cannot insert NULL into (%1)"},
      {1403, "no data found"},
      {1405, "fetched column value is NULL"},
      {1406, "fetched column value was truncated"},
      {1407, "cannot update (%1) to NULL"},
      {1408, "such column list already indexed"},
      {1410, "invalid ROWID"},
      {1418, "specified index does not exist"},
      {1426, "numeric overflow"},
      {1438, "value larger than specified precision allowed for this column"},
      {1439, "column to be modified must be empty to change datatype"},
      {1441, "cannot decrease column length because some value is too big"},
      {1442, "column to be modified to NOT NULL is already NOT NULL"},
      {1449, "column contains NULL values; cannot alter to NOT NULL"},
      {1450, "maximum key length (%1) exceeded"},
      {1451, "column to be modified to NULL cannot be modified to NULL"},
      {1452, "cannot CREATE UNIQUE INDEX; duplicate keys found"},
      {1455, "converting column overflows integer datatype"},
      {1459, "invalid length for variable character string"},
      {1461, "can bind a LONG value only for insert into a LONG column"},
      {1465, "invalid hex number"},
      {1482, "unsupported character set"},
      {1704, "string literal too long"},
      {1722, "invalid number"},
      {1723, "zero-length columns are not allowed"},
      {1724, "floating point precision is out of range (1 to 126)"},
      {1727, "numeric precision specifier is out of range (1 to 38)"},
      {1728, "numeric scale specifier is out of range (-84 to 127)"},
      {1735, "invalid ALTER TABLE option"},
      {1740, "missing double quote in identifier"},
      {1741, "illegal zero-length identifier"},
      {1745, "invalid host/bind variable name"},
      {1754, "a table may contain only one column of type LONG"},
      {1758, "table must be empty to add mandatory (NOT NULL) column"},
      {1756, "quoted string not properly terminated"},
      {1790, "query block has incorrect number of result columns"},
      {1792, "maximum number of columns in a table or view is 1000"},
      {1821, "date format not recognized"},
      {1830, "date format picture ends before converting entire input string"},
      {1840, "input value not long enough for date format"},
      {1841, "(full) year must be between -4713 and +9999, and not be 0"},
      {1843, "not a valid month"},
      {1847, "day of month must be between 1 and last day of month"},
      {1850, "hour must be between 0 and 23"},
      {1851, "minutes must be between 0 and 59"},
      {1852, "seconds must be between 0 and 59"},
      {1858, "a non-numeric character was found where a numeric was expected"},
      {1861, "literal does not match format string"},
      {1950, "no privileges on tablespace '%1'"},
      {2260, "table can have only one primary key"},
      {2261, "such unique or primary key already exists in the table"},
      {2264, "name already used by an existing constraint"},
      {2270, "no matching unique or primary key for this column-list"},
      {2289, "sequence does not exist"},
      {2291, "integrity constraint (%1) violated - parent key not found"},
      {2292, "integrity constraint (%1) violated - child record found"},
      {2296, "cannot enable (%1) - null values found"},
      {2298, "cannot validate (%1) - parent keys not found"},
      {2299, "cannot validate (%1) - duplicate keys found"},
      {2097, "parameter cannot be modified because specified value is invalid"},
      {2248, "invalid option for ALTER SESSION"},
      {2437, "cannot validate (%1) - primary key violated"},
      {2443, "Cannot drop constraint  - nonexistent constraint"},
      {2449, "unique/primary keys in table referenced by foreign keys"},
      {3113, "end-of-file on communication channel"},
      {3114, "not connected to ORACLE"},
      {3115, "unsupported network datatype or representation"},
      {4080, "trigger '%1' does not exist"},
      {4081, "trigger '%1' already exists"},
      {4098, "trigger '%1' is invalid and failed re-validation"},
      {8002, "sequence %1.CURRVAL is not yet defined in this session"},
      {8004, "sequence %1.NEXTVAL exceeds MAXVALUE and cannot be instantiated"},
      {12154, "TNS:could not resolve the connect identifier specified"},
      {12514, "TNS:listener does not currently know of service requested in connect descriptor"},
      {12541, "TNS:no listener"},
      {12545, "Connect failed because target host or object does not exist"},
      {12899, "value too large for column %1 (actual: %2, maximum: %3)"},
      {22275, "invalid LOB locator specified"},
      {22920, "row containing the LOB value is not locked"},
      {22990, "LOB locators cannot span transactions"},
      {24315, "illegal attribute type"},
      {24333, "zero iteration count"},
      {24334, "no descriptor for this position"},
      {24338, "statement handle not executed"},
      {24343, "user defined callback error"},
      {24344, "success with compilation error"},
      {24373, "invalid length specified for statement"},
      {24374, "define not done before fetch or execute and fetch"},
      {24381, "error(s) in array DML"},
      {24391, "invalid fetch operation"},
      {24801, "illegal parameter value in OCI lob function"},
      {24816, "Expanded non LONG bind data supplied after actual LONG or LOB column"},
      {30088, "datetime/interval precision is out of range"},
      {30186, "'\\' must be followed by four hexadecimal characters or another '\\'"},
      {28000, "the account is locked"},
      {30926, "unable to get a stable set of rows in the source tables"},
      {38101, "Invalid column in the INSERT VALUES Clause: %1"},
      {38102, "Invalid column in the INSERT WHERE Clause: %1"},
      {38104, "Columns referenced in the ON Clause cannot be updated: %1"},
      {28714,
       "OCI_BATCH_ERRORS or OCI_RETURN_ROW_COUNT_ARRAY mode can only be specified for "
       "INSERT, UPDATE, DELETE or MERGE statement."},
  };
  return table;
}

std::string substitute(const char* pattern, std::initializer_list<std::string> args) {
  std::string out;
  for (const char* p = pattern; *p; ++p) {
    if (*p == '%' && p[1] >= '1' && p[1] <= '9') {
      const std::size_t index = static_cast<std::size_t>(p[1] - '1');
      if (index < args.size()) out += *(args.begin() + index);
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

emu_error::emu_error(int code, const std::string& message)
    : std::runtime_error(message), code_(code) {}

std::string ora_message(int code, std::initializer_list<std::string> args) {
  const auto& table = message_table();
  const auto found = table.find(code);
  const char* pattern = found == table.end() ? "internal error of the emulation" : found->second;
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
  return prefix + substitute(pattern, args);
}

emu_error ora_error(int code, std::initializer_list<std::string> args) {
  return emu_error(code, ora_message(code, args));
}

namespace {
std::atomic<bool> help_lines{false};
}  // namespace

void set_help_lines(bool on) { help_lines = on; }

// Oracle Database 23ai Error Messages: each message page lives at
// https://docs.oracle.com/error-help/db/ora-NNNNN/, the address 23ai prints after the text.
std::string client_message(const emu_error& error) {
  const std::string text = error.what();
  if (!help_lines || text.rfind("ORA-", 0) != 0) return text;
  char address[80];
  std::snprintf(address, sizeof address, "\nHelp: https://docs.oracle.com/error-help/db/ora-%05d/", error.code());
  return text + address;
}

std::string quoted_path(const std::string& owner, const std::string& table,
                        const std::string& column) {
  return "\"" + owner + "\".\"" + table + "\".\"" + column + "\"";
}

}  // namespace ociemu
