// The handles and descriptors behind the opaque OCI pointers. Every one starts with its
// type and is registered while it lives, so that a null, freed or foreign pointer is
// answered with OCI_INVALID_HANDLE instead of being followed.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../include/oci.h"
#include "emu_connection.hpp"
#include "emu_datetime.hpp"
#include "emu_error.hpp"
#include "emu_query.hpp"

namespace ociemu {

struct emu_env;

struct emu_handle {
  // Handles that another handle owns (binds, defines, per-row errors) are not listed as the
  // environment's children.
  emu_handle(ub4 handle_type, emu_env* owner, bool env_child = true);
  virtual ~emu_handle();
  emu_handle(const emu_handle&) = delete;
  emu_handle& operator=(const emu_handle&) = delete;

  const ub4 type;
  emu_env* env;
};

// The live handle of that type at p, or nullptr.
emu_handle* find_handle(const void* p, ub4 type);
template <class T>
T* handle_cast(const void* p, ub4 type) {
  return static_cast<T*>(find_handle(p, type));
}

struct emu_env : emu_handle {
  emu_env(ub4 mode, ub2 charset, ub2 ncharset);
  ~emu_env() override;

  bool utf16() const { return charset == OCI_UTF16ID; }
  // Client text in the environment's character set: UTF-16 (native order) or UTF-8.
  std::u16string decode(const void* data, std::size_t bytes) const;
  std::string encode(const std::u16string& text) const;
  std::size_t unit() const { return utf16() ? 2 : 1; }
  // Text up to its terminator (a zero unit) within at most `max_bytes`.
  std::u16string decode_terminated(const void* data, std::size_t max_bytes) const;

  ub4 mode;
  ub2 charset, ncharset;
  std::set<emu_handle*> children;
  std::vector<emu_error> errors;
};

struct emu_error_handle : emu_handle {
  explicit emu_error_handle(emu_env* e, bool env_child = true) : emu_handle(OCI_HTYPE_ERROR, e, env_child) {}
  void set(const emu_error& e) { records.assign(1, e); }
  void clear() { records.clear(); }

  std::vector<emu_error> records;
  ub4 row_offset = 0;        // for the per-row records of array DML
  struct row_error { ub4 offset; emu_error error; };
  std::vector<row_error> batch;
  std::vector<std::unique_ptr<emu_error_handle>> row_handles;  // lent by OCIParamGet
  bool lent = false;
};

struct emu_server : emu_handle {
  explicit emu_server(emu_env* e) : emu_handle(OCI_HTYPE_SERVER, e) {}
  std::string service_file;
  std::string connect_string;  // as the client gave it: the wallet's key
  bool attached = false;
};

struct emu_session : emu_handle {
  explicit emu_session(emu_env* e) : emu_handle(OCI_HTYPE_SESSION, e) {}
  std::u16string user, password;
  std::unique_ptr<emu_connection> connection;
};

struct emu_svcctx : emu_handle {
  explicit emu_svcctx(emu_env* e) : emu_handle(OCI_HTYPE_SVCCTX, e) {}
  emu_server* server = nullptr;
  emu_session* session = nullptr;
  // The open connection, or ORA-03114.
  emu_connection& connection() const;
};

struct emu_bind : emu_handle {
  explicit emu_bind(emu_env* e) : emu_handle(OCI_HTYPE_BIND, e, false) {}
  std::u16string name;  // upper-cased, without the colon; empty when bound by position
  ub4 position = 0;
  void* value = nullptr;
  sb4 value_size = 0;
  ub2 dty = 0;
  void* indicators = nullptr;
  ub2* lengths = nullptr;
  ub2* return_codes = nullptr;
  ub4 mode = 0;
  void* in_context = nullptr;
  OCICallbackInBind in_callback = nullptr;
  void* out_context = nullptr;
  OCICallbackOutBind out_callback = nullptr;
  ub4 rows_returned = 0;
  ub1 charset_form = SQLCS_IMPLICIT;
  ub4 maxdata_size = 0;  // OCI_ATTR_MAXDATA_SIZE; 0 when the client set none

  // The most bytes a value of this bind may take: OCI_ATTR_MAXDATA_SIZE when set, else the
  // size given at bind time (without the length prefix of SQLT_LVC and SQLT_LVB).
  std::size_t potential_size() const;
};

struct emu_define : emu_handle {
  explicit emu_define(emu_env* e) : emu_handle(OCI_HTYPE_DEFINE, e, false) {}
  ub4 position = 0;
  void* value = nullptr;
  sb4 value_size = 0;
  ub2 dty = 0;
  sb2* indicators = nullptr;
  ub2* lengths = nullptr;
  ub2* return_codes = nullptr;
};

struct emu_param : emu_handle {
  emu_param(emu_env* e, emu_select_column c);
  emu_select_column column;
  std::string name_bytes;  // OCI_ATTR_NAME in the environment's character set
};

// Where a locator points: a LOB column of one row, or a value read through a join.
struct emu_lob_source {
  type_kind kind = type_kind::clob;
  std::u16string table, column;
  std::int64_t row = -1;
  emu_value snapshot;
  bool locked = false;  // selected FOR UPDATE, or inserted by this transaction
};

struct emu_lob : emu_handle {
  explicit emu_lob(emu_env* e) : emu_handle(OCI_DTYPE_LOB, e) {}
  bool initialised = false;
  type_kind kind = type_kind::clob;
  std::u16string table, column;
  std::int64_t row = -1;             // -1: a value read from a join, kept in `snapshot`
  emu_value snapshot;
  bool locked = false;
  std::uint64_t transaction = 0;
  emu_connection* connection = nullptr;
  // Piecewise reads and writes in polling mode continue where the last call stopped.
  std::size_t stream_position = 0;
  std::size_t stream_remaining = 0;
  bool streaming = false;

  void point_at(const emu_lob_source& source, emu_connection& owner);
};

struct emu_datetime_descriptor : emu_handle {
  emu_datetime_descriptor(emu_env* e, ub4 t) : emu_handle(t, e) {}
  emu_datetime value;
};

struct emu_rowid_descriptor : emu_handle {
  explicit emu_rowid_descriptor(emu_env* e) : emu_handle(OCI_DTYPE_ROWID, e) {}
  std::u16string text;
};

struct emu_stmt;

// Frees a handle or descriptor with its children (the environment frees everything).
void free_handle(emu_handle* h);

}  // namespace ociemu
