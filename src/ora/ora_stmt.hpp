// One OCI statement handle of a session and the calls made on it. Every
// status goes through the session's ora_engine::check_err. The handle frees
// itself, also after the engine is gone (only calls need the engine).
#pragma once

#include <string>

#include "ora_handle.hpp"
#include "ora_oci.hpp"

class ora_engine;

class ora_stmt {
 public:
  explicit ora_stmt(ora_engine& engine);
  ~ora_stmt();
  ora_stmt(const ora_stmt&) = delete;
  ora_stmt& operator=(const ora_stmt&) = delete;

  void prepare(const std::u16string& text);
  // Returns the status (success, success with info or no data).
  sword execute(ub4 iterations, ub4 mode = oci::default_mode);
  // Next row: true when there was one.
  bool fetch();
  // The next rows, up to `rows`, into the defined arrays in one round trip;
  // how many came (fewer than asked: the last of them).
  ub4 fetch_rows(ub4 rows);
  OCIDefine* define(ub4 position, void* buffer, sb4 size, ub2 type, sb2* indicator,
                    ub2* length = nullptr);

  OCIStmt* handle() const { return handle_.as<OCIStmt>(); }
  // The session the statement runs in.
  ora_engine& engine() const { return *engine_; }

 private:
  ora_engine* engine_;
  ora_handle handle_;
};
