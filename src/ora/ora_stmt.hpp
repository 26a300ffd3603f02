// One OCI statement handle and the calls made on it. Every status goes
// through ora_engine::check_err. The handle frees itself, also after the
// engine is gone.
#pragma once

#include <string>

#include "ora_handle.hpp"
#include "ora_oci.hpp"

class ora_stmt {
 public:
  ora_stmt();
  ~ora_stmt();
  ora_stmt(const ora_stmt&) = delete;
  ora_stmt& operator=(const ora_stmt&) = delete;

  void prepare(const std::u16string& text);
  // Returns the status (success, success with info or no data).
  sword execute(ub4 iterations, ub4 mode = oci::default_mode);
  // Next row: true when there was one.
  bool fetch();
  OCIDefine* define(ub4 position, void* buffer, sb4 size, ub2 type, sb2* indicator,
                    ub2* length = nullptr);

  OCIStmt* handle() const { return handle_.as<OCIStmt>(); }

 private:
  ora_handle handle_;
};
