// Test support: a private home folder with one service, and a UTF-16 OCI session on it that
// runs statements and returns their ORA numbers and rows as text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oci.h"

namespace ociemu_test {

// A fresh OCIEMU_HOME with service XE, user SCOTT/tiger (full rights) and the aliases file.
class emu_home_fixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Removes the home: after the fixture's own members (sessions of derived
  // fixtures) are gone, since Windows cannot delete a database still open.
  ~emu_home_fixture() override;
  // Adds a user with the given rights to service XE.
  void add_user(const std::string& name, const std::string& password, bool locked = false,
                bool create_table = true, bool quota = true, bool create_sequence = true);
  // Adds (or replaces) a user with its CREATE TRIGGER right and granted privileges.
  void add_user(const std::string& name, bool create_trigger, const std::vector<std::string>& grants);
  // Service XE's NLS_LENGTH_SEMANTICS ("BYTE", "CHAR") and message shape ("19c", "23ai").
  void set_service(const std::string& length_semantics, const std::string& messages);
  std::string home_;
};

std::u16string w(const std::string& utf8);
std::string n(const std::u16string& utf16);

struct oci_result {
  sword status = OCI_SUCCESS;
  int error = 0;         // ORA number, 0 when none
  std::string message;   // the error text as OCIErrorGet gave it, trailing newline cut
};

class oci_session {
 public:
  explicit oci_session(const std::string& connect = "//localhost:1521/XE",
                       const std::string& user = "scott", const std::string& password = "tiger");
  ~oci_session();
  oci_session(const oci_session&) = delete;
  oci_session& operator=(const oci_session&) = delete;

  bool connected() const { return connected_; }
  const oci_result& connect_result() const { return connect_result_; }

  // Prepares and executes one statement (1 iteration unless a query, which is described
  // with 0); returns the status and ORA number.
  oci_result exec(const std::string& sql, ub4 mode = OCI_DEFAULT);
  // The rows of a query, every column fetched as SQLT_STR; NULL reads as "<null>".
  std::vector<std::vector<std::string>> rows(const std::string& sql);
  std::string scalar(const std::string& sql);  // first column of the first row
  oci_result check(sword status);              // reads the error handle for a status
  oci_result commit();
  oci_result rollback();
  void end_session();

  OCIStmt* prepare(const std::string& sql);  // a statement handle the session frees
  OCIEnv* env() const { return env_; }
  OCIError* err() const { return err_; }
  OCISvcCtx* svc() const { return svc_; }

 private:
  OCIEnv* env_ = nullptr;
  OCIError* err_ = nullptr;
  OCIServer* server_ = nullptr;
  OCISvcCtx* svc_ = nullptr;
  OCISession* session_ = nullptr;
  bool connected_ = false;
  oci_result connect_result_;
  std::vector<OCIStmt*> statements_;
};

}  // namespace ociemu_test
