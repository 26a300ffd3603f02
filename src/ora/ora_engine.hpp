// One session with an Oracle server: its own OCI environment (UTF-16 for
// text and national text), error handle, server, session and service
// context. Whoever connects owns it (the converter, a test) and hands it
// to the database it opens, which hands it on to its tables and
// statements; two engines are two independent sessions, which may run on
// two threads. Only the client library's calls are shared by the process.
#pragma once

#include <memory>
#include <string>

#include "ora_handle.hpp"
#include "ora_oci.hpp"

class ora_database;
class ora_exception;

class ora_engine {
 public:
  // Loads the client library and creates the environment and handles; a
  // missing client raises the level-1 "not found" error. A failure part-way
  // frees what was made.
  ora_engine();
  // The same over a given call table (tests wrap the client's calls).
  explicit ora_engine(const ora_oci_calls& calls);
  ~ora_engine();
  ora_engine(const ora_engine&) = delete;
  ora_engine& operator=(const ora_engine&) = delete;

  // Connects with the easy-connect form //host:port/database, or with the
  // database as a net service name when host and port are both empty, or
  // with the database as it stands when it already is a connect string.
  // The user external_user logs in with external credentials (a wallet or
  // the operating system's account) instead of a password. The database
  // works through this engine, which must outlive it.
  std::unique_ptr<ora_database> open_db(const std::u16string& host, const std::u16string& user,
                                        const std::u16string& password, const std::u16string& port,
                                        const std::u16string& database);
  std::unique_ptr<ora_database> open_db(const std::u16string& database, const std::u16string& user,
                                        const std::u16string& password);

  // OCI_ERROR raises ora_exception with Oracle's number and text; an
  // invalid handle raises a level-1 error naming the call. OCI_SUCCESS_WITH_INFO
  // is traced with Oracle's text; when the statement left an object that
  // did not compile (ORA-24344) it raises ora_exception too, since that
  // object fails whatever uses it later.
  void check_err(sword status, const char* call);
  // Record 1 of an error handle (the engine's, or one filled with a row's
  // error of an array execute) as an exception.
  ora_exception diagnostic_of(OCIError* handle) const;

  // OCI_ATTR_SERVER_STATUS of the server handle: false once the connection
  // is known to be gone.
  bool server_connected() const;

  // A new handle or descriptor of `type` from the environment, owned by the
  // result, which keeps the environment alive while it lives.
  ora_handle new_handle(ub4 type);
  ora_handle new_descriptor(ub4 type);
  // The describe of column `position` (from 1) of an executed statement.
  ora_handle parameter(OCIStmt* statement, ub4 position);

  // major << 16 | minor << 8 | patch from the first row of v$version; 0 when
  // it has no such number.
  std::uint32_t get_version();
  // The first row of v$version as the server words it ("Oracle Database
  // 19c ... Production"); empty when it has none.
  std::u16string version_banner();
  std::int32_t get_records_cnt(const std::u16string& name, bool b_is_query = false);
  void commit();
  void rollback();

  static constexpr const char16_t* external_user = u"/";
  // How long the session's DDL waits for another session's lock on its table.
  static constexpr int ddl_lock_wait_seconds = 60;
  // The connect string for host, port and database (see open_db).
  static std::u16string connect_string(const std::u16string& host, const std::u16string& port,
                                       const std::u16string& database);
  // True for a database text that is a connect string of its own: it starts
  // with "//" or "(" (a descriptor), or holds "/" or ":" (host/service, host:port/service).
  static bool is_connect_string(const std::u16string& database);
  // The version number in a v$version row, 0 when none.
  static std::uint32_t parse_version(const std::u16string& banner);
  // A table name as SQL takes it: in double quotes, an owner-qualified name
  // split at its first dot. A double quote inside a name (which no quoted
  // identifier can hold) becomes "_".
  static std::u16string get_safe_name(std::u16string name);

  const ora_oci_calls& oci() const { return *oci_; }
  OCIEnv* environment() const { return environment_ ? environment_->as<OCIEnv>() : nullptr; }
  OCIError* error_handle() const { return error_.as<OCIError>(); }
  OCISvcCtx* service_context() const { return service_.as<OCISvcCtx>(); }
  bool attached() const { return b_attached_; }

  const bool owned_by_user = true;

 private:
  void initialize(const ora_oci_calls& calls);
  ora_handle allocate(ub4 type, const char* step);
  ora_handle new_owner(ub4 type, ora_handle::kind what);
  void set_text_attribute(void* handle, ub4 handle_type, const std::u16string& text, ub4 attribute);
  void wait_for_ddl_locks();
  void clean() noexcept;
  // Record 1 of the error handle as an exception.
  ora_exception diagnostic() const;

  const ora_oci_calls* oci_ = nullptr;
  bool b_attached_ = false;
  bool b_session_ = false;
  // Shared with every handle allocated from it, so that it is freed last.
  std::shared_ptr<const ora_handle> environment_;
  ora_handle server_;
  ora_handle service_;
  ora_handle error_;
  ora_handle session_;
  std::u16string database_, user_, password_;
};

// A column or table name in double quotes, repaired as get_safe_name does
// but without splitting at a dot.
std::u16string ora_quoted(std::u16string name);
// A name of the schema `owner` as SQL takes it: quoted, after the quoted
// owner and a dot; without an owner the name alone (the user's own schema).
std::u16string ora_qualified(const std::u16string& owner, const std::u16string& name);
// Text for a quoted SQL literal: single quotes doubled.
std::u16string ora_literal_text(std::u16string_view text);
// National text that keeps every letter whatever the database character
// set: the statement's own text is converted to that set, which turns the
// letters it lacks into "?", so those letters travel as UNISTR escapes
// (pieces joined with ||, each within the 4000-byte literal limit).
std::u16string ora_unistr_literal(std::u16string_view text);
