#include "ora_engine.hpp"

#include <cstdio>

#include "ora_database.hpp"
#include "ora_exception.hpp"
#include "ora_limits_reader.hpp"
#include "ora_oci_library.hpp"
#include "ora_stmt.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"
#include "tk_wstring.hpp"

namespace {

// "success with compilation error": the object was created, and is invalid.
constexpr int ora_compiled_with_errors = 24344;

constexpr std::size_t error_text_units = 3072 / 2;  // UTF-16

// No quoted identifier can hold a double quote (or a zero).
void repair_identifier(std::u16string& name) {
  for (char16_t& c : name)
    if (c == u'"' || c == 0) c = u'_';
}

std::u16string text_of(const char16_t* buffer, std::size_t units) {
  std::u16string text(buffer, units);
  return text.substr(0, text.find(u'\0'));
}

}  // namespace

std::u16string ora_quoted(std::u16string name) {
  repair_identifier(name);
  return u"\"" + name + u"\"";
}

std::u16string ora_qualified(const std::u16string& owner, const std::u16string& name) {
  return owner.empty() ? ora_quoted(name) : ora_quoted(owner) + u"." + ora_quoted(name);
}

std::u16string ora_literal_text(std::u16string_view text) {
  return tk_wstring(std::u16string(text)).replace_all(u"'", u"''");
}

std::u16string ora_unistr_literal(std::u16string_view text) {
  constexpr std::size_t piece = 700;  // at most 5 characters each: 3500 < 4000
  static constexpr char16_t hex[] = u"0123456789ABCDEF";
  std::u16string out;
  for (std::size_t start = 0; start == 0 || start < text.size(); start += piece) {
    out += start == 0 ? u"UNISTR('" : u"') || UNISTR('";
    for (char16_t c : text.substr(start, piece)) {
      if (c == u'\\') {
        out += u"\\\\";
      } else if (c == u'\'') {
        out += u"''";
      } else if (c >= 0x20 && c < 0x7F) {
        out += c;
      } else {
        out += {u'\\', hex[c >> 12], hex[(c >> 8) & 15], hex[(c >> 4) & 15], hex[c & 15]};
      }
    }
  }
  return out + u"')";
}

ora_engine::ora_engine() {
  tk_log(1, "ora_engine::ctor");
  initialize(ora_oci_library::calls());
}

ora_engine::ora_engine(const ora_oci_calls& calls) {
  tk_log(1, "ora_engine::ctor");
  initialize(calls);
}

ora_engine::~ora_engine() {
  tk_log(1, "ora_engine::dtor");
  clean();
}

// Each handle is owned as soon as it exists: when a later step raises, the
// members already made free themselves (the environment last).
void ora_engine::initialize(const ora_oci_calls& calls) {
  tk_log(1, "ora_engine::initialize");
  oci_ = &calls;
  OCIEnv* environment = nullptr;
  // Threaded: the wizard connects and converts on worker threads.
  sword status = oci_->OCIEnvNlsCreate(&environment, oci::threaded, nullptr, nullptr, nullptr,
                                       nullptr, 0, nullptr, oci::utf16_id, oci::utf16_id);
  environment_ = std::make_shared<const ora_handle>(*oci_, environment, oci::htype_env,
                                                    ora_handle::kind::handle, nullptr);
  if (status != oci::success || !environment)
    throw tk_exception("Cannot create the Oracle client environment", tk_exception::run_level);
  tk_log(1, "Step #1");
  error_ = allocate(oci::htype_error, "Step #2");
  server_ = allocate(oci::htype_server, "Step #3");
  session_ = allocate(oci::htype_session, "Step #4");
  service_ = allocate(oci::htype_svcctx, "Step #5");
}

ora_handle ora_engine::allocate(ub4 type, const char* step) {
  ora_handle handle = new_handle(type);
  tk_log(1, "%s", step);
  return handle;
}

ora_handle ora_engine::new_handle(ub4 type) { return new_owner(type, ora_handle::kind::handle); }

ora_handle ora_engine::new_descriptor(ub4 type) { return new_owner(type, ora_handle::kind::descriptor); }

ora_handle ora_engine::new_owner(ub4 type, ora_handle::kind what) {
  void* pointer = nullptr;
  const bool descriptor = what == ora_handle::kind::descriptor;
  sword status = descriptor ? oci_->OCIDescriptorAlloc(environment(), &pointer, type, 0, nullptr)
                            : oci_->OCIHandleAlloc(environment(), &pointer, type, 0, nullptr);
  // Owned before the status is looked at, in case a failing call made one.
  ora_handle owner(*oci_, pointer, type, what, environment_);
  check_err(status, descriptor ? "OCIDescriptorAlloc" : "OCIHandleAlloc");
  if (!owner) check_err(oci::invalid_handle, descriptor ? "OCIDescriptorAlloc" : "OCIHandleAlloc");
  return owner;
}

ora_handle ora_engine::parameter(OCIStmt* statement, ub4 position) {
  void* pointer = nullptr;
  sword status = oci_->OCIParamGet(statement, oci::htype_stmt, error_handle(), &pointer, position);
  ora_handle owner(*oci_, pointer, oci::dtype_param, ora_handle::kind::descriptor, environment_);
  check_err(status, "OCIParamGet");
  return owner;
}

std::u16string ora_engine::connect_string(const std::u16string& host, const std::u16string& port,
                                          const std::u16string& database) {
  if ((host.empty() && port.empty()) || is_connect_string(database)) return database;
  return u"//" + (host.empty() ? u"localhost" : host) + u":" + (port.empty() ? u"1521" : port) +
         u"/" + database;
}

bool ora_engine::is_connect_string(const std::u16string& database) {
  return database.starts_with(u"//") || database.starts_with(u"(") ||
         database.find_first_of(u"/:") != std::u16string::npos;
}

std::unique_ptr<ora_database> ora_engine::open_db(const std::u16string& host,
                                                  const std::u16string& user,
                                                  const std::u16string& password,
                                                  const std::u16string& port,
                                                  const std::u16string& database) {
  tk_log(1, "ora_engine::open_db (%s,%s,%s,%s,%s)", host, user, u"*", port, database);
  return open_db(connect_string(host, port, database), user, password);
}

void ora_engine::set_text_attribute(void* handle, ub4 handle_type, const std::u16string& text,
                                    ub4 attribute) {
  check_err(oci_->OCIAttrSet(handle, handle_type, const_cast<char16_t*>(text.c_str()),
                             static_cast<ub4>(text.size() * 2), attribute, error_handle()),
            "OCIAttrSet");
}

std::unique_ptr<ora_database> ora_engine::open_db(const std::u16string& database,
                                                  const std::u16string& user,
                                                  const std::u16string& password) {
  // The password never reaches the trace file.
  tk_log(1, "ora_engine::open_db( %s, %s, %s )", database, user, u"*");
  tk_log(3, "Connecting to Oracle data source '%s'", database);
  if (b_session_) {
    oci_->OCISessionEnd(service_context(), error_handle(), session_.as<OCISession>(), oci::default_mode);
    b_session_ = false;
  }
  if (b_attached_) {
    oci_->OCIServerDetach(server_.as<OCIServer>(), error_handle(), oci::default_mode);
    b_attached_ = false;
  }
  tk_log(1, "Just before OCIServerAttach");
  check_err(oci_->OCIServerAttach(server_.as<OCIServer>(), error_handle(), reinterpret_cast<const OraText*>(database.c_str()),
                                  static_cast<sb4>(database.size() * 2), oci::default_mode),
            "OCIServerAttach");
  b_attached_ = true;
  tk_log(1, "OCIServerAttach succeeded");
  check_err(oci_->OCIAttrSet(service_.get(), oci::htype_svcctx, server_.get(), 0, oci::attr_server,
                             error_handle()),
            "OCIAttrSet");
  tk_log(1, "Server context was set into service context");
  // External credentials come from the wallet or the operating system: the
  // session is given no name and no password.
  const bool external = user == external_user;
  if (!external) {
    set_text_attribute(session_.get(), oci::htype_session, user, oci::attr_username);
    set_text_attribute(session_.get(), oci::htype_session, password, oci::attr_password);
  }
  tk_log(1, "Just before OCISessionBegin");
  check_err(oci_->OCISessionBegin(service_context(), error_handle(), session_.as<OCISession>(),
                                  external ? oci::cred_ext : oci::cred_rdbms, oci::default_mode),
            "OCISessionBegin");
  b_session_ = true;
  tk_log(2, "The connection has been established");
  check_err(oci_->OCIAttrSet(service_.get(), oci::htype_svcctx, session_.get(), 0, oci::attr_session,
                             error_handle()),
            "OCIAttrSet");
  database_ = database;
  user_ = user;
  password_ = password;
  wait_for_ddl_locks();
  auto db = std::make_unique<ora_database>(this, database, ora_database::catalog::read);
  db->limits = ora_limits_reader(*this).read();
  return db;
}

// Oracle fails DDL at once (ORA-00054) while another session holds a lock on its table, as
// the sessions of one load may (a NOT NULL relaxed, a foreign key to a table being loaded,
// the journal dropped). DDL_LOCK_TIMEOUT (Oracle Database Reference; 11g on) makes the
// session's DDL wait that long for the lock instead; an older server keeps failing at once.
void ora_engine::wait_for_ddl_locks() {
  try {
    ora_stmt statement(*this);
    statement.prepare(tk_wformat(u"ALTER SESSION SET DDL_LOCK_TIMEOUT = %d", ddl_lock_wait_seconds));
    statement.execute(1);
    tk_log(3, "DDL waits up to %d s for the locks of other sessions", ddl_lock_wait_seconds);
  } catch (const ora_exception& e) {
    tk_log(3, "DDL fails at once on the locks of other sessions: %s", e.message);
  }
}

ora_exception ora_engine::diagnostic() const { return diagnostic_of(error_handle()); }

// Oracle 23ai's texts run to several lines with a help address. A buffer too small for
// the text makes OCIErrorGet fail and leaves the number unset, which would hide a lost
// connection or a full tablespace: the text is read into 3,072 bytes (ODPI-C's size,
// DPI_MAX_ERROR_SIZE), and once more into far more when even that fails.
ora_exception ora_engine::diagnostic_of(OCIError* handle) const {
  for (const std::size_t units : {error_text_units, 16 * error_text_units}) {
    sb4 number = 0;
    std::u16string text(units, u'\0');
    const sword status = oci_->OCIErrorGet(handle, 1, nullptr, &number, reinterpret_cast<OraText*>(text.data()),
                                           static_cast<ub4>(units * 2), oci::htype_error);
    if (status == oci::no_data) break;
    if (status != oci::success) continue;
    std::u16string message = text_of(text.data(), units);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u' ')) message.pop_back();
    return ora_exception(number, message);
  }
  return ora_exception(0, u"The Oracle client reported an error but gave no text for it");
}

void ora_engine::check_err(sword status, const char* call) {
  tk_log(1, "ora_engine::check_err(status=%08X)", status);
  if (status == oci::error) {
    tk_log(1, "status == OCI_ERROR");
    ora_exception e = diagnostic();
    e.server_not_connected = !server_connected();
    throw e;
  }
  if (status == oci::success_with_info) {
    ora_exception warning = diagnostic();
    tk_log(2, "%s succeeded with a warning: %s", call, warning.message);
    if (warning.ora_number() == ora_compiled_with_errors) throw warning;
  }
  if (status == oci::invalid_handle) {
    tk_log(1, "ERROR: Invalid handle");
    throw tk_exception(tk_format("The Oracle client refused a call (%s): invalid handle", call),
                       tk_exception::run_level);
  }
}

bool ora_engine::server_connected() const {
  if (!server_ || !b_attached_) return false;
  ub4 status = oci::server_normal;
  // A client that cannot tell is taken at its word that the call failed only.
  if (oci_->OCIAttrGet(server_.get(), oci::htype_server, &status, nullptr, oci::attr_server_status, error_handle()) !=
      oci::success)
    return true;
  return status == oci::server_normal;
}

std::uint32_t ora_engine::parse_version(const std::u16string& banner) {
  for (const std::u16string& piece : tk_wstring(banner).split(u' ')) {
    if (piece.empty() || piece[0] < u'0' || piece[0] > u'9') continue;
    int major = 0, minor = 0, patch = 0;
    if (std::sscanf(tk_utf16_to_utf8_lenient(piece).c_str(), "%d.%d.%d", &major, &minor, &patch) == 3) {
      tk_log(1, "Got Oracle version: %d,%d,%d", major, minor, patch);
      return std::uint32_t(major) << 16 | std::uint32_t(minor & 0xFF) << 8 | std::uint32_t(patch & 0xFF);
    }
  }
  return 0;
}

std::uint32_t ora_engine::get_version() {
  tk_log(1, "ora_engine::get_version");
  return parse_version(version_banner());
}

std::u16string ora_engine::version_banner() {
  if (!b_session_) TK_ASSERTION_FAILED();
  ora_stmt stmt(*this);
  stmt.prepare(u"select * from v$version");
  std::u16string buffer(0x10000, u'\0');
  sb2 indicator = 0;
  stmt.define(1, buffer.data(), static_cast<sb4>(buffer.size() * 2), oci::sqlt_str, &indicator);
  if (stmt.execute(1) == oci::no_data) return {};
  std::u16string banner = text_of(buffer.data(), buffer.size());
  tk_log(1, "Got versioned string:\n%s", banner);
  return banner;
}

std::int32_t ora_engine::get_records_cnt(const std::u16string& name, bool b_is_query) {
  tk_log(2, "ora_engine::get_records_cnt(%s)", name);
  if (!b_session_) TK_ASSERTION_FAILED();
  ora_stmt stmt(*this);
  stmt.prepare(b_is_query ? u"SELECT COUNT(*) FROM (" + name + u")"
                          : u"SELECT COUNT(*) FROM " + get_safe_name(name));
  std::int32_t count = 0;
  sb2 indicator = 0;
  stmt.define(1, &count, sizeof count, oci::sqlt_int, &indicator);
  if (stmt.execute(1) == oci::no_data) TK_ASSERTION_FAILED();
  return count;
}

std::u16string ora_engine::get_safe_name(std::u16string name) {
  tk_log(1, "ora_engine::get_safe_name(%s)", name);
  repair_identifier(name);
  std::size_t dot = name.find(u'.');
  if (dot != std::u16string::npos) name.replace(dot, 1, u"\".\"");
  return u"\"" + name + u"\"";
}

void ora_engine::commit() {
  check_err(oci_->OCITransCommit(service_context(), error_handle(), oci::default_mode), "OCITransCommit");
}

void ora_engine::rollback() {
  check_err(oci_->OCITransRollback(service_context(), error_handle(), oci::default_mode), "OCITransRollback");
}

// Ends the session and frees the handles; the environment goes when the
// last handle allocated from it does.
void ora_engine::clean() noexcept {
  tk_log(1, "ora_engine::clean");
  if (!oci_) return;
  if (b_session_) oci_->OCISessionEnd(service_context(), error_handle(), session_.as<OCISession>(), oci::default_mode);
  if (b_attached_) oci_->OCIServerDetach(server_.as<OCIServer>(), error_handle(), oci::default_mode);
  b_session_ = b_attached_ = false;
  server_.reset();
  service_.reset();
  error_.reset();
  session_.reset();
  environment_.reset();
}
