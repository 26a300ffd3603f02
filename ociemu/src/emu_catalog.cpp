#include "emu_catalog.hpp"

#include <algorithm>
#include <cstdio>

#include "emu_error.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

const char* const schema_sql = R"SQL(
CREATE TABLE IF NOT EXISTS ociemu_grants(USERNAME TEXT, PRIVILEGE TEXT, PRIMARY KEY(USERNAME, PRIVILEGE));
CREATE TABLE IF NOT EXISTS ociemu_objects(OBJECT_ID INTEGER PRIMARY KEY AUTOINCREMENT, OWNER TEXT,
  OBJECT_NAME TEXT, OBJECT_TYPE TEXT, STATUS TEXT);
CREATE INDEX IF NOT EXISTS ociemu_objects_name ON ociemu_objects(OBJECT_NAME);
CREATE TABLE IF NOT EXISTS ociemu_tab_columns(OWNER TEXT, TABLE_NAME TEXT, COLUMN_NAME TEXT,
  COLUMN_ID INT, TYPE_DECL TEXT, DATA_TYPE TEXT, DATA_LENGTH INT, DATA_PRECISION INT,
  DATA_SCALE INT, NULLABLE TEXT, DATA_DEFAULT TEXT, DEFAULT_LENGTH INT, CHAR_LENGTH INT,
  CHAR_USED TEXT);
CREATE INDEX IF NOT EXISTS ociemu_tab_columns_table ON ociemu_tab_columns(TABLE_NAME);
CREATE TABLE IF NOT EXISTS ociemu_constraints(OWNER TEXT, CONSTRAINT_NAME TEXT,
  CONSTRAINT_TYPE TEXT, TABLE_NAME TEXT, R_OWNER TEXT, R_CONSTRAINT_NAME TEXT,
  DELETE_RULE TEXT, STATUS TEXT, INDEX_NAME TEXT, GENERATED TEXT);
CREATE TABLE IF NOT EXISTS ociemu_cons_columns(OWNER TEXT, CONSTRAINT_NAME TEXT,
  TABLE_NAME TEXT, COLUMN_NAME TEXT, POSITION INT);
CREATE TABLE IF NOT EXISTS ociemu_indexes(OWNER TEXT, INDEX_NAME TEXT, TABLE_NAME TEXT,
  UNIQUENESS TEXT, GENERATED TEXT);
CREATE TABLE IF NOT EXISTS ociemu_ind_columns(OWNER TEXT, INDEX_NAME TEXT, TABLE_NAME TEXT,
  COLUMN_NAME TEXT, COLUMN_POSITION INT, DESCEND TEXT);
CREATE TABLE IF NOT EXISTS ociemu_ind_expressions(OWNER TEXT, INDEX_NAME TEXT, TABLE_NAME TEXT,
  COLUMN_EXPRESSION TEXT, COLUMN_POSITION INT);
CREATE TABLE IF NOT EXISTS ociemu_sequences(SEQUENCE_OWNER TEXT, SEQUENCE_NAME TEXT,
  MIN_VALUE, MAX_VALUE, INCREMENT_BY INT, CYCLE_FLAG TEXT, ORDER_FLAG TEXT, CACHE_SIZE INT,
  LAST_NUMBER INT);
CREATE TABLE IF NOT EXISTS ociemu_triggers(OWNER TEXT, TRIGGER_NAME TEXT, TABLE_NAME TEXT,
  COLUMN_NAME TEXT, SEQUENCE_NAME TEXT, WHEN_NULL INT, STATUS TEXT, TRIGGER_BODY TEXT);
CREATE TABLE IF NOT EXISTS ociemu_views(OWNER TEXT, VIEW_NAME TEXT, TEXT TEXT);
CREATE TABLE IF NOT EXISTS ociemu_settings(NAME TEXT PRIMARY KEY, VALUE);
CREATE TABLE IF NOT EXISTS ociemu_tablespaces(NAME TEXT PRIMARY KEY);
CREATE TABLE IF NOT EXISTS ociemu_segments(OWNER TEXT, TABLE_NAME TEXT, COLUMN_NAME TEXT,
  TABLESPACE_NAME TEXT);
CREATE TABLE IF NOT EXISTS DUAL(DUMMY);
INSERT INTO DUAL SELECT 'X' WHERE NOT EXISTS (SELECT 1 FROM DUAL);
CREATE VIEW IF NOT EXISTS USER_TABLES AS SELECT OBJECT_NAME AS TABLE_NAME,
  'USERS' AS TABLESPACE_NAME, 'VALID' AS STATUS, 'N' AS TEMPORARY, 'NO' AS NESTED,
  NULL AS IOT_TYPE FROM ociemu_objects WHERE OBJECT_TYPE = 'TABLE' AND OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_TAB_COLUMNS AS SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE,
  DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE, COLUMN_ID, DEFAULT_LENGTH, DATA_DEFAULT,
  CHAR_LENGTH, CHAR_USED FROM ociemu_tab_columns WHERE OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_CONSTRAINTS AS SELECT OWNER, CONSTRAINT_NAME, CONSTRAINT_TYPE,
  TABLE_NAME, R_OWNER, R_CONSTRAINT_NAME, DELETE_RULE, STATUS, INDEX_NAME, GENERATED
  FROM ociemu_constraints WHERE OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_CONS_COLUMNS AS SELECT OWNER, CONSTRAINT_NAME, TABLE_NAME,
  COLUMN_NAME, POSITION FROM ociemu_cons_columns WHERE OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_INDEXES AS SELECT INDEX_NAME,
  CASE WHEN EXISTS (SELECT 1 FROM ociemu_ind_expressions e WHERE e.OWNER = i.OWNER AND
  e.INDEX_NAME = i.INDEX_NAME) THEN 'FUNCTION-BASED NORMAL' ELSE 'NORMAL' END AS INDEX_TYPE,
  OWNER AS TABLE_OWNER, TABLE_NAME, 'TABLE' AS TABLE_TYPE, UNIQUENESS, GENERATED,
  'VALID' AS STATUS FROM ociemu_indexes i WHERE OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_IND_EXPRESSIONS AS SELECT INDEX_NAME, TABLE_NAME, COLUMN_EXPRESSION,
  COLUMN_POSITION FROM ociemu_ind_expressions WHERE OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_IND_COLUMNS AS SELECT INDEX_NAME, TABLE_NAME, COLUMN_NAME,
  COLUMN_POSITION, DESCEND FROM ociemu_ind_columns WHERE OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_VIEWS AS SELECT VIEW_NAME, length(TEXT) AS TEXT_LENGTH, TEXT
  FROM ociemu_views WHERE OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_SEQUENCES AS SELECT SEQUENCE_NAME, MIN_VALUE, MAX_VALUE,
  INCREMENT_BY, CYCLE_FLAG, ORDER_FLAG, CACHE_SIZE, LAST_NUMBER FROM ociemu_sequences
  WHERE SEQUENCE_OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_TRIGGERS AS SELECT TRIGGER_NAME,
  'BEFORE EACH ROW' AS TRIGGER_TYPE, 'INSERT' AS TRIGGERING_EVENT, TABLE_NAME, STATUS,
  TRIGGER_BODY FROM ociemu_triggers WHERE OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_OBJECTS AS SELECT OBJECT_NAME, OBJECT_ID, OBJECT_TYPE, STATUS
  FROM ociemu_objects WHERE OWNER = ociemu_user();
CREATE VIEW IF NOT EXISTS SESSION_PRIVS AS SELECT 'CREATE SESSION' AS PRIVILEGE
  UNION ALL SELECT 'CREATE TABLE' FROM ociemu_users WHERE USERNAME = ociemu_user() AND CREATE_TABLE <> 0
  UNION ALL SELECT 'CREATE SEQUENCE' FROM ociemu_users WHERE USERNAME = ociemu_user() AND CREATE_SEQUENCE <> 0
  UNION ALL SELECT 'CREATE TRIGGER' FROM ociemu_users WHERE USERNAME = ociemu_user() AND CREATE_TRIGGER <> 0
  UNION ALL SELECT PRIVILEGE FROM ociemu_grants WHERE USERNAME = ociemu_user();
CREATE VIEW IF NOT EXISTS USER_TS_QUOTAS AS SELECT 'USERS' AS TABLESPACE_NAME, 0 AS BYTES,
  -1 AS MAX_BYTES, 0 AS BLOCKS, -1 AS MAX_BLOCKS, 'NO' AS DROPPED
  FROM ociemu_users WHERE USERNAME = ociemu_user() AND QUOTA <> 0;
CREATE VIEW IF NOT EXISTS ALL_TABLES AS SELECT OWNER, OBJECT_NAME AS TABLE_NAME,
  coalesce((SELECT TABLESPACE_NAME FROM ociemu_segments g WHERE g.OWNER = o.OWNER
    AND g.TABLE_NAME = o.OBJECT_NAME AND g.COLUMN_NAME IS NULL), 'USERS') AS TABLESPACE_NAME,
  'VALID' AS STATUS, 'N' AS TEMPORARY, 'NO' AS NESTED, NULL AS IOT_TYPE
  FROM ociemu_objects o WHERE OBJECT_TYPE = 'TABLE';
CREATE VIEW IF NOT EXISTS ALL_TAB_COLUMNS AS SELECT OWNER, TABLE_NAME, COLUMN_NAME, DATA_TYPE,
  DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE, COLUMN_ID, DEFAULT_LENGTH, DATA_DEFAULT,
  CHAR_LENGTH, CHAR_USED FROM ociemu_tab_columns;
CREATE VIEW IF NOT EXISTS ALL_CONSTRAINTS AS SELECT OWNER, CONSTRAINT_NAME, CONSTRAINT_TYPE,
  TABLE_NAME, R_OWNER, R_CONSTRAINT_NAME, DELETE_RULE, STATUS, INDEX_NAME, GENERATED
  FROM ociemu_constraints;
CREATE VIEW IF NOT EXISTS ALL_CONS_COLUMNS AS SELECT OWNER, CONSTRAINT_NAME, TABLE_NAME,
  COLUMN_NAME, POSITION FROM ociemu_cons_columns;
CREATE VIEW IF NOT EXISTS ALL_INDEXES AS SELECT OWNER, INDEX_NAME, 'NORMAL' AS INDEX_TYPE,
  OWNER AS TABLE_OWNER, TABLE_NAME, 'TABLE' AS TABLE_TYPE, UNIQUENESS, GENERATED,
  'VALID' AS STATUS FROM ociemu_indexes;
CREATE VIEW IF NOT EXISTS ALL_IND_COLUMNS AS SELECT OWNER AS INDEX_OWNER, INDEX_NAME,
  OWNER AS TABLE_OWNER, TABLE_NAME, COLUMN_NAME, COLUMN_POSITION, DESCEND
  FROM ociemu_ind_columns;
CREATE VIEW IF NOT EXISTS ALL_LOBS AS SELECT c.OWNER, c.TABLE_NAME, c.COLUMN_NAME,
  coalesce(g.TABLESPACE_NAME, t.TABLESPACE_NAME) AS TABLESPACE_NAME
  FROM ociemu_tab_columns c JOIN ALL_TABLES t ON t.OWNER = c.OWNER AND t.TABLE_NAME = c.TABLE_NAME
  LEFT JOIN ociemu_segments g ON g.OWNER = c.OWNER AND g.TABLE_NAME = c.TABLE_NAME
    AND g.COLUMN_NAME = c.COLUMN_NAME
  WHERE c.DATA_TYPE IN ('CLOB', 'NCLOB', 'BLOB');
CREATE VIEW IF NOT EXISTS ALL_VIEWS AS SELECT OWNER, VIEW_NAME, length(TEXT) AS TEXT_LENGTH, TEXT
  FROM ociemu_views;
CREATE VIEW IF NOT EXISTS ALL_USERS AS SELECT USERNAME, 0 AS USER_ID FROM ociemu_users;
CREATE VIEW IF NOT EXISTS NLS_DATABASE_PARAMETERS AS SELECT 'NLS_CHARACTERSET' AS PARAMETER,
  coalesce((SELECT VALUE FROM ociemu_settings WHERE NAME = 'charset'), 'AL32UTF8') AS VALUE
  UNION ALL SELECT 'NLS_NCHAR_CHARACTERSET', 'AL16UTF16'
  UNION ALL SELECT 'NLS_DATE_FORMAT', 'DD-MON-RR'
  UNION ALL SELECT 'NLS_RDBMS_VERSION', '19.0.0.0.0';
CREATE VIEW IF NOT EXISTS "V$VERSION" AS SELECT
  'Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production' AS BANNER,
  'Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production' || char(10) ||
  'Version 19.3.0.0.0' AS BANNER_FULL,
  'Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production' AS BANNER_LEGACY,
  0 AS CON_ID;
)SQL";

std::string utf8(const std::u16string& s) { return to_utf8(s); }

}  // namespace

int emu_table_def::find_column(const std::u16string& column) const {
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name == column) return static_cast<int>(i);
  return -1;
}

// Files made before users could lack CREATE TRIGGER get the column, every user keeping it.
void emu_catalog::create_schema(emu_sqlite& db) {
  db.exec("CREATE TABLE IF NOT EXISTS ociemu_users(USERNAME TEXT PRIMARY KEY, PASSWORD TEXT, LOCKED INT, "
          "CREATE_TABLE INT, QUOTA INT, CREATE_SEQUENCE INT, CREATE_TRIGGER INT DEFAULT 1)");
  bool has_trigger_column = false;
  {
    emu_sqlite_statement columns(db.handle(), "SELECT COUNT(*) FROM pragma_table_info('ociemu_users') "
                                              "WHERE name = 'CREATE_TRIGGER'");
    has_trigger_column = columns.step() && columns.column_int(0) > 0;
  }
  if (!has_trigger_column) db.exec("ALTER TABLE ociemu_users ADD COLUMN CREATE_TRIGGER INT DEFAULT 1");
  db.exec(schema_sql);
}

bool emu_user::has(const std::string& privilege) const {
  return std::find(grants.begin(), grants.end(), privilege) != grants.end();
}

void emu_catalog::save_user(emu_sqlite& db, const emu_user& user) {
  auto& s = db.cached(
      "INSERT OR REPLACE INTO ociemu_users VALUES (?, ?, ?, ?, ?, ?, ?)");
  s.bind_text(1, utf8(user.name));
  s.bind_text(2, utf8(user.password));
  s.bind_int(3, user.locked);
  s.bind_int(4, user.create_table);
  s.bind_int(5, user.quota);
  s.bind_int(6, user.create_sequence);
  s.bind_int(7, user.create_trigger);
  s.step();
  s.reset();
  auto& forget = db.cached("DELETE FROM ociemu_grants WHERE USERNAME = ?");
  forget.bind_text(1, utf8(user.name));
  forget.step();
  forget.reset();
  for (const std::string& privilege : user.grants) {
    auto& grant = db.cached("INSERT OR IGNORE INTO ociemu_grants VALUES (?, ?)");
    grant.bind_text(1, utf8(user.name));
    grant.bind_text(2, privilege);
    grant.step();
    grant.reset();
  }
}

std::optional<emu_user> emu_catalog::find_user(emu_sqlite& db, const std::u16string& name) {
  auto& s = db.cached("SELECT USERNAME, PASSWORD, LOCKED, CREATE_TABLE, QUOTA, CREATE_SEQUENCE, "
                      "CREATE_TRIGGER FROM ociemu_users WHERE USERNAME = ?");
  s.bind_text(1, utf8(name));
  if (!s.step()) {
    s.reset();
    return std::nullopt;
  }
  emu_user u{to_utf16(s.column_text(0)), to_utf16(s.column_text(1)), s.column_int(2) != 0,
             s.column_int(3) != 0, s.column_int(4) != 0, s.column_int(5) != 0, s.column_int(6) != 0, {}};
  s.reset();
  auto& grants = db.cached("SELECT PRIVILEGE FROM ociemu_grants WHERE USERNAME = ?");
  grants.bind_text(1, utf8(name));
  while (grants.step()) u.grants.push_back(grants.column_text(0));
  grants.reset();
  return u;
}

void emu_catalog::refresh_if_changed() {
  const auto version = db_.data_version();
  if (version != data_version_) invalidate();
  data_version_ = version;
}

std::shared_ptr<const emu_table_def> emu_catalog::find_table(const std::u16string& name) {
  if (const auto found = tables_.find(name); found != tables_.end()) return found->second;
  auto def = load(name);
  if (def) tables_[name] = def;
  return def;
}

std::shared_ptr<const emu_table_def> emu_catalog::table(const std::u16string& name) {
  auto def = find_table(name);
  if (!def) throw ora_error(942);
  return def;
}

std::shared_ptr<emu_table_def> emu_catalog::load(const std::u16string& name) {
  auto& s = db_.cached("SELECT OBJECT_ID, OWNER FROM ociemu_objects "
                       "WHERE OBJECT_NAME = ? AND OBJECT_TYPE = 'TABLE'");
  s.bind_text(1, utf8(name));
  if (!s.step()) return nullptr;
  auto def = std::make_shared<emu_table_def>();
  def->object_id = s.column_int(0);
  def->owner = to_utf16(s.column_text(1));
  def->name = name;
  s.reset();
  load_columns(*def);
  load_keys(*def);
  load_triggers(*def);
  return def;
}

void emu_catalog::load_columns(emu_table_def& def) {
  auto& s = db_.cached("SELECT COLUMN_NAME, TYPE_DECL, NULLABLE, DATA_DEFAULT, COLUMN_ID "
                       "FROM ociemu_tab_columns WHERE TABLE_NAME = ? ORDER BY COLUMN_ID");
  s.bind_text(1, utf8(def.name));
  while (s.step()) {
    emu_column_def c;
    c.name = to_utf16(s.column_text(0));
    c.type = emu_column_type::parse(to_utf16(s.column_text(1)));
    c.nullable = s.column_text(2) != "N";
    if (!s.column_is_null(3)) c.default_text = to_utf16(s.column_text(3));
    c.column_id = static_cast<int>(s.column_int(4));
    def.columns.push_back(std::move(c));
  }
  s.reset();
}

void emu_catalog::load_keys(emu_table_def& def) {
  auto& s = db_.cached(
      "SELECT c.CONSTRAINT_NAME, c.CONSTRAINT_TYPE, cc.COLUMN_NAME FROM ociemu_constraints c "
      "JOIN ociemu_cons_columns cc ON cc.CONSTRAINT_NAME = c.CONSTRAINT_NAME "
      "WHERE c.TABLE_NAME = ? AND c.CONSTRAINT_TYPE IN ('P', 'U') "
      "UNION ALL SELECT i.INDEX_NAME, 'I', ic.COLUMN_NAME FROM ociemu_indexes i "
      "JOIN ociemu_ind_columns ic ON ic.INDEX_NAME = i.INDEX_NAME "
      "WHERE i.TABLE_NAME = ?1 AND i.UNIQUENESS = 'UNIQUE' ORDER BY 2, 1");
  s.bind_text(1, utf8(def.name));
  while (s.step()) {
    const std::u16string name = to_utf16(s.column_text(0));
    const char type = s.column_text(1)[0];
    if (def.keys.empty() || def.keys.back().name != name || def.keys.back().type != type)
      def.keys.push_back({name, type, {}});
    def.keys.back().columns.push_back(to_utf16(s.column_text(2)));
  }
  s.reset();
}

void emu_catalog::load_triggers(emu_table_def& def) {
  auto& s = db_.cached("SELECT TRIGGER_NAME, COLUMN_NAME, SEQUENCE_NAME, WHEN_NULL, STATUS "
                       "FROM ociemu_triggers WHERE TABLE_NAME = ?");
  s.bind_text(1, utf8(def.name));
  while (s.step()) {
    def.triggers.push_back({to_utf16(s.column_text(0)), to_utf16(s.column_text(1)),
                            to_utf16(s.column_text(2)), s.column_int(3) != 0,
                            s.column_text(4) == "ENABLED"});
  }
  s.reset();
}

std::optional<std::string> emu_catalog::object_type(const std::u16string& name) {
  auto& s = db_.cached("SELECT OBJECT_TYPE FROM ociemu_objects WHERE OBJECT_NAME = ? "
                       "AND OBJECT_TYPE IN ('TABLE', 'VIEW', 'SEQUENCE')");
  s.bind_text(1, utf8(name));
  std::optional<std::string> type;
  if (s.step()) type = s.column_text(0);
  s.reset();
  return type;
}

bool emu_catalog::has_row(const std::string& sql, const std::u16string& name) {
  auto& s = db_.cached(sql);
  s.bind_text(1, utf8(name));
  const bool found = s.step();
  s.reset();
  return found;
}

bool emu_catalog::index_exists(const std::u16string& name) {
  return has_row("SELECT 1 FROM ociemu_indexes WHERE INDEX_NAME = ?", name);
}

bool emu_catalog::constraint_exists(const std::u16string& name) {
  return has_row("SELECT 1 FROM ociemu_constraints WHERE CONSTRAINT_NAME = ?", name);
}

std::int64_t emu_catalog::add_object(const std::u16string& owner, const std::u16string& name,
                                     const char* type) {
  auto& s = db_.cached("INSERT INTO ociemu_objects(OWNER, OBJECT_NAME, OBJECT_TYPE, STATUS) "
                       "VALUES (?, ?, ?, 'VALID')");
  s.bind_text(1, utf8(owner));
  s.bind_text(2, utf8(name));
  s.bind_text(3, type);
  s.step();
  s.reset();
  return db_.last_rowid();
}

void emu_catalog::remove_object(const std::u16string& name, const char* type) {
  auto& s = db_.cached("DELETE FROM ociemu_objects WHERE OBJECT_NAME = ? AND OBJECT_TYPE = ?");
  s.bind_text(1, utf8(name));
  s.bind_text(2, type);
  s.step();
  s.reset();
}

void emu_catalog::load_names() {
  names_.clear();
  // Every table and view SQLite holds (the catalog views and DUAL included), their columns,
  // and the sequences.
  auto& s = db_.cached("SELECT m.name, 0 FROM sqlite_master m WHERE m.type IN ('table', 'view') "
                       "UNION ALL SELECT p.name, 1 FROM sqlite_master m, pragma_table_info(m.name) p "
                       "WHERE m.type IN ('table', 'view') "
                       "UNION ALL SELECT OBJECT_NAME, 0 FROM ociemu_objects WHERE OBJECT_TYPE = 'SEQUENCE'");
  while (s.step()) {
    const std::u16string name = to_utf16(s.column_text(0));
    auto& entry = names_[upper_identifier(name)];
    (s.column_int(1) ? entry.second : entry.first).insert(name);
  }
  s.reset();
  names_loaded_ = true;
}

void emu_catalog::add_names_of(const std::u16string& name) {
  tables_.clear();
  if (!names_loaded_) return;  // loaded in full when next needed
  auto& s = db_.cached("SELECT m.name, 0 FROM sqlite_master m WHERE m.type IN ('table', 'view') AND m.name = ?1 "
                       "UNION ALL SELECT p.name, 1 FROM sqlite_master m, pragma_table_info(m.name) p "
                       "WHERE m.type IN ('table', 'view') AND m.name = ?1 "
                       "UNION ALL SELECT OBJECT_NAME, 0 FROM ociemu_objects "
                       "WHERE OBJECT_TYPE = 'SEQUENCE' AND OBJECT_NAME = ?1");
  s.bind_text(1, utf8(name));
  while (s.step()) {
    const std::u16string found = to_utf16(s.column_text(0));
    auto& entry = names_[upper_identifier(found)];
    (s.column_int(1) ? entry.second : entry.first).insert(found);
  }
  s.reset();
}

void emu_catalog::check_exact_names(const std::vector<emu_token>& tokens) {
  if (!names_loaded_) load_names();
  for (const auto& t : tokens) {
    if (!t.is_identifier()) continue;
    const auto found = names_.find(upper_identifier(t.text));
    if (found == names_.end()) continue;
    const auto& [objects, columns] = found->second;
    if (objects.count(t.text) || columns.count(t.text)) continue;
    if (!objects.empty()) throw ora_error(942);
    throw ora_error(904, {"\"" + to_utf8(t.text) + "\""});
  }
}

std::u16string emu_catalog::generated_name() {
  db_.exec("INSERT OR IGNORE INTO ociemu_settings VALUES ('next_constraint', 7000)");
  db_.exec("UPDATE ociemu_settings SET VALUE = VALUE + 1 WHERE NAME = 'next_constraint'");
  auto& s = db_.cached("SELECT VALUE FROM ociemu_settings WHERE NAME = 'next_constraint'");
  s.step();
  const auto n = s.column_int(0);
  s.reset();
  char name[32];
  std::snprintf(name, sizeof name, "SYS_C%07lld", static_cast<long long>(n));
  return u16(name);
}

}  // namespace ociemu
