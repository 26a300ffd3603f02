#include "oci_test_session.hpp"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "emu_catalog.hpp"
#include "emu_connection.hpp"
#include "emu_service_settings.hpp"
#include "emu_text.hpp"
#include "test_platform.hpp"

namespace ociemu_test {

namespace {

int fixture_counter = 0;

}  // namespace

std::u16string w(const std::string& utf8) { return ociemu::to_utf16(utf8); }
std::string n(const std::u16string& utf16) { return ociemu::to_utf8(utf16); }

void emu_home_fixture::SetUp() {
  home_ = (std::filesystem::temp_directory_path() /
           ("ociemu-test-" + std::to_string(getpid()) + "-" + std::to_string(++fixture_counter)))
              .string();
  std::filesystem::remove_all(home_);
  std::filesystem::create_directories(home_);
  test_set_environment("OCIEMU_HOME", home_);
  ociemu::emu_connection::create_service(home_ + "/xe.db");
  add_user("SCOTT", "tiger");
}

void emu_home_fixture::TearDown() {}

emu_home_fixture::~emu_home_fixture() {
  std::error_code ignored;
  std::filesystem::remove_all(home_, ignored);
}

void emu_home_fixture::add_user(const std::string& name, const std::string& password, bool locked,
                                bool create_table, bool quota, bool create_sequence) {
  ociemu::emu_sqlite db(home_ + "/xe.db", false);
  ociemu::emu_catalog::save_user(db, {w(name), w(password), locked, create_table, quota, create_sequence, true, {}});
}

void emu_home_fixture::add_user(const std::string& name, bool create_trigger,
                                const std::vector<std::string>& grants) {
  ociemu::emu_sqlite db(home_ + "/xe.db", false);
  ociemu::emu_user user{w(name), w("tiger"), false, true, true, true, create_trigger, grants};
  ociemu::emu_catalog::save_user(db, user);
}

void emu_home_fixture::set_service(const std::string& length_semantics, const std::string& messages) {
  ociemu::emu_sqlite db(home_ + "/xe.db", false);
  ociemu::emu_service_settings::store(db, "19.0.0", "AL32UTF8", length_semantics, messages);
}

oci_session::oci_session(const std::string& connect, const std::string& user, const std::string& password) {
  OCIEnvNlsCreate(&env_, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr, OCI_UTF16ID, OCI_UTF16ID);
  OCIHandleAlloc(env_, reinterpret_cast<void**>(&err_), OCI_HTYPE_ERROR, 0, nullptr);
  OCIHandleAlloc(env_, reinterpret_cast<void**>(&server_), OCI_HTYPE_SERVER, 0, nullptr);
  OCIHandleAlloc(env_, reinterpret_cast<void**>(&svc_), OCI_HTYPE_SVCCTX, 0, nullptr);
  OCIHandleAlloc(env_, reinterpret_cast<void**>(&session_), OCI_HTYPE_SESSION, 0, nullptr);
  const std::u16string c = w(connect), u = w(user), p = w(password);
  connect_result_ = check(OCIServerAttach(server_, err_, reinterpret_cast<const OraText*>(c.data()),
                                          static_cast<sb4>(c.size() * 2), OCI_DEFAULT));
  if (connect_result_.status != OCI_SUCCESS) return;
  OCIAttrSet(svc_, OCI_HTYPE_SVCCTX, server_, 0, OCI_ATTR_SERVER, err_);
  OCIAttrSet(session_, OCI_HTYPE_SESSION, const_cast<char16_t*>(u.data()), static_cast<ub4>(u.size() * 2),
             OCI_ATTR_USERNAME, err_);
  OCIAttrSet(session_, OCI_HTYPE_SESSION, const_cast<char16_t*>(p.data()), static_cast<ub4>(p.size() * 2),
             OCI_ATTR_PASSWORD, err_);
  connect_result_ = check(OCISessionBegin(svc_, err_, session_, OCI_CRED_RDBMS, OCI_DEFAULT));
  if (connect_result_.status != OCI_SUCCESS) return;
  OCIAttrSet(svc_, OCI_HTYPE_SVCCTX, session_, 0, OCI_ATTR_SESSION, err_);
  connected_ = true;
}

oci_session::~oci_session() {
  for (auto* s : statements_) OCIHandleFree(s, OCI_HTYPE_STMT);
  end_session();
  OCIServerDetach(server_, err_, OCI_DEFAULT);
  OCIHandleFree(env_, OCI_HTYPE_ENV);
}

void oci_session::end_session() {
  if (connected_) OCISessionEnd(svc_, err_, session_, OCI_DEFAULT);
  connected_ = false;
}

oci_result oci_session::check(sword status) {
  oci_result r;
  r.status = status;
  if (status != OCI_ERROR && status != OCI_SUCCESS_WITH_INFO) return r;
  char16_t buffer[1024] = {0};
  sb4 code = 0;
  if (OCIErrorGet(err_, 1, nullptr, &code, reinterpret_cast<OraText*>(buffer), sizeof buffer,
                  OCI_HTYPE_ERROR) == OCI_SUCCESS) {
    r.error = code;
    r.message = n(buffer);
    while (!r.message.empty() && r.message.back() == '\n') r.message.pop_back();
  }
  return r;
}

OCIStmt* oci_session::prepare(const std::string& sql) {
  OCIStmt* stmt = nullptr;
  OCIHandleAlloc(env_, reinterpret_cast<void**>(&stmt), OCI_HTYPE_STMT, 0, nullptr);
  statements_.push_back(stmt);
  const std::u16string text = w(sql);
  OCIStmtPrepare(stmt, err_, reinterpret_cast<const OraText*>(text.data()),
                 static_cast<ub4>(text.size() * 2), OCI_NTV_SYNTAX, OCI_DEFAULT);
  return stmt;
}

oci_result oci_session::exec(const std::string& sql, ub4 mode) {
  OCIStmt* stmt = prepare(sql);
  ub2 type = 0;
  OCIAttrGet(stmt, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err_);
  const ub4 iters = type == OCI_STMT_SELECT ? 0 : 1;
  return check(OCIStmtExecute(svc_, stmt, err_, iters, 0, nullptr, nullptr, mode));
}

std::vector<std::vector<std::string>> oci_session::rows(const std::string& sql) {
  std::vector<std::vector<std::string>> out;
  OCIStmt* stmt = prepare(sql);
  const oci_result described = check(OCIStmtExecute(svc_, stmt, err_, 0, 0, nullptr, nullptr, OCI_DEFAULT));
  if (described.status != OCI_SUCCESS) {
    ADD_FAILURE() << sql << ": " << described.message;
    return out;
  }
  ub4 count = 0;
  OCIAttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, err_);
  std::vector<std::u16string> buffers(count, std::u16string(4001, u'\0'));
  std::vector<sb2> indicators(count);
  std::vector<ub2> lengths(count);
  for (ub4 i = 0; i < count; ++i) {
    OCIDefine* define = nullptr;
    OCIDefineByPos(stmt, &define, err_, i + 1, buffers[i].data(), 4001 * 2, SQLT_STR, &indicators[i],
                   &lengths[i], nullptr, OCI_DEFAULT);
  }
  while (check(OCIStmtFetch2(stmt, err_, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT)).status == OCI_SUCCESS) {
    std::vector<std::string> row;
    for (ub4 i = 0; i < count; ++i)
      row.push_back(indicators[i] == -1 ? "<null>" : n(buffers[i].substr(0, lengths[i] / 2)));
    out.push_back(row);
  }
  return out;
}

std::string oci_session::scalar(const std::string& sql) {
  const auto r = rows(sql);
  return r.empty() || r[0].empty() ? "<no row>" : r[0][0];
}

oci_result oci_session::commit() { return check(OCITransCommit(svc_, err_, OCI_DEFAULT)); }
oci_result oci_session::rollback() { return check(OCITransRollback(svc_, err_, OCI_DEFAULT)); }

}  // namespace ociemu_test
