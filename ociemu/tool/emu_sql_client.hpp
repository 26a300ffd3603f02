// A small OCI client of the emulation for the admin tool: connects by the listener address,
// runs one statement and prints its rows (LOBs included) as text.
#pragma once

#include <ostream>
#include <string>

#include "oci.h"

namespace ociemu {

class emu_sql_client {
 public:
  // Connects to //localhost:<listener port>/<service>; raises std::runtime_error with the
  // ORA message on failure.
  emu_sql_client(const std::string& service, const std::string& user, const std::string& password);
  ~emu_sql_client();
  emu_sql_client(const emu_sql_client&) = delete;
  emu_sql_client& operator=(const emu_sql_client&) = delete;

  // Runs the statement; a query's rows are printed tab-separated under a header line.
  // Returns false (after printing the error) when the statement fails.
  bool print(const std::u16string& sql, std::ostream& out, bool header);

 private:
  void check(sword status);
  std::string error_text();
  std::string read_lob(OCILobLocator* lob);
  bool print_rows(OCIStmt* stmt, std::ostream& out, bool header);

  OCIEnv* env_ = nullptr;
  OCIError* err_ = nullptr;
  OCIServer* server_ = nullptr;
  OCISvcCtx* svc_ = nullptr;
  OCISession* session_ = nullptr;
  bool session_begun_ = false;
};

}  // namespace ociemu
