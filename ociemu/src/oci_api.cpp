// The exported OCI entry points: each checks its handles, runs the emulation and turns an
// Oracle error into OCI_ERROR with the error recorded on the error handle.
#include <cstring>

#include "../include/oci.h"
#include "emu_client_buffer.hpp"
#include "emu_handles.hpp"
#include "emu_home.hpp"
#include "emu_lob_ops.hpp"
#include "emu_round_trips.hpp"
#include "emu_stmt.hpp"
#include "emu_text.hpp"
#include "emu_unverified.hpp"

using namespace ociemu;

namespace {

const char banner[] = "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production";

// Runs `body`, recording an Oracle error on `err` (when there is one) as OCI_ERROR.
template <class F>
sword guarded(emu_error_handle* err, F&& body) {
  try {
    return body();
  } catch (const emu_error& e) {
    if (err) err->set(e);
  } catch (const emu_sqlite_error& e) {
    if (err) err->set(emu_query::translate(e));
  } catch (const std::exception& e) {
    if (err) err->set(ora_error(600, {std::string("ociemu: ") + e.what()}));
  }
  return OCI_ERROR;
}

emu_error_handle* error_handle(OCIError* errhp) {
  return handle_cast<emu_error_handle>(errhp, OCI_HTYPE_ERROR);
}

template <class T>
void put(void* target, T value) {
  if (target) std::memcpy(target, &value, sizeof value);
}

template <class T>
T get(const void* source) {
  T value{};
  if (source) std::memcpy(&value, source, sizeof value);
  return value;
}

emu_handle* new_handle(emu_env* env, ub4 type) {
  switch (type) {
    case OCI_HTYPE_ERROR: return new emu_error_handle(env);
    case OCI_HTYPE_SVCCTX: return new emu_svcctx(env);
    case OCI_HTYPE_STMT: return new emu_stmt(env);
    case OCI_HTYPE_SERVER: return new emu_server(env);
    case OCI_HTYPE_SESSION: return new emu_session(env);
    default: return nullptr;
  }
}

emu_handle* new_descriptor(emu_env* env, ub4 type) {
  switch (type) {
    case OCI_DTYPE_LOB: return new emu_lob(env);
    case OCI_DTYPE_ROWID: return new emu_rowid_descriptor(env);
    case OCI_DTYPE_DATE: case OCI_DTYPE_TIMESTAMP: case OCI_DTYPE_TIMESTAMP_TZ:
    case OCI_DTYPE_TIMESTAMP_LTZ:
      return new emu_datetime_descriptor(env, type);
    default: return nullptr;
  }
}

// Handles and descriptors are made from an environment; an unknown type is refused.
template <class F>
sword allocate(const void* parent, void** out, void** user_memory, F make) {
  auto* env = handle_cast<emu_env>(parent, OCI_HTYPE_ENV);
  if (!env || !out) return OCI_INVALID_HANDLE;
  emu_handle* h = make(env);
  if (!h) return OCI_INVALID_HANDLE;
  *out = h;
  if (user_memory) *user_memory = nullptr;
  return OCI_SUCCESS;
}

// Text attributes hand out a pointer to text the handle owns and its length in bytes.
void put_text(void* attributep, ub4* sizep, const std::string& bytes) {
  put(attributep, static_cast<const void*>(bytes.data()));
  if (sizep) *sizep = static_cast<ub4>(bytes.size());
}

sword attr_get_param(const emu_param& p, void* attributep, ub4* sizep, ub4 attr) {
  const emu_column_type& t = p.column.type;
  switch (attr) {
    case OCI_ATTR_DATA_SIZE: put<ub2>(attributep, t.describe_size()); break;
    case OCI_ATTR_DATA_TYPE: put<ub2>(attributep, t.describe_code()); break;
    case OCI_ATTR_NAME: put_text(attributep, sizep, p.name_bytes); break;
    case OCI_ATTR_PRECISION: put<sb2>(attributep, t.describe_precision()); break;
    case OCI_ATTR_SCALE: put<sb1>(attributep, t.describe_scale()); break;
    case OCI_ATTR_IS_NULL: put<ub1>(attributep, p.column.nullable ? 1 : 0); break;
    case OCI_ATTR_CHARSET_ID: put<ub2>(attributep, t.charset_id()); break;
    case OCI_ATTR_CHARSET_FORM: put<ub1>(attributep, t.charset_form()); break;
    case OCI_ATTR_CHAR_USED: put<ub1>(attributep, t.is_text() && t.char_semantics ? 1 : 0); break;
    case OCI_ATTR_CHAR_SIZE: put<ub2>(attributep, static_cast<ub2>(t.char_length())); break;
    default: throw ora_error(24315);
  }
  return OCI_SUCCESS;
}

sword attr_get_stmt(emu_stmt& s, void* attributep, ub4 attr) {
  switch (attr) {
    case OCI_ATTR_ROW_COUNT: put<ub4>(attributep, static_cast<ub4>(s.row_count)); break;
    case OCI_ATTR_UB8_ROW_COUNT: put<ub8>(attributep, s.row_count); break;
    case OCI_ATTR_PREFETCH_ROWS: put<ub4>(attributep, s.prefetch_rows); break;
    case OCI_ATTR_PARAM_COUNT:
      put<ub4>(attributep, s.query ? static_cast<ub4>(s.query->columns().size()) : 0);
      break;
    case OCI_ATTR_STMT_TYPE: put<ub2>(attributep, statement_type_code(s.kind)); break;
    case OCI_ATTR_NUM_DML_ERRORS: put<ub4>(attributep, static_cast<ub4>(s.batch_errors.size())); break;
    case OCI_ATTR_ROWS_FETCHED: put<ub4>(attributep, s.rows_fetched); break;
    case OCI_ATTR_PARSE_ERROR_OFFSET: put<ub2>(attributep, 0); break;
    case OCI_ATTR_ROWID: {
      auto* r = handle_cast<emu_rowid_descriptor>(attributep, OCI_DTYPE_ROWID);
      if (!r) return OCI_INVALID_HANDLE;
      if (s.last_rowid.empty()) throw ora_error(1410);
      r->text = s.last_rowid;
      break;
    }
    default: throw ora_error(24315);
  }
  return OCI_SUCCESS;
}

sword attr_get(emu_handle* h, ub4 type, void* attributep, ub4* sizep, ub4 attr) {
  switch (h->type) {
    case OCI_DTYPE_PARAM: return attr_get_param(*static_cast<emu_param*>(h), attributep, sizep, attr);
    case OCI_HTYPE_STMT: return attr_get_stmt(*static_cast<emu_stmt*>(h), attributep, attr);
    case OCI_HTYPE_SVCCTX: {
      auto* svc = static_cast<emu_svcctx*>(h);
      if (attr == OCI_ATTR_SERVER) return put<void*>(attributep, static_cast<emu_handle*>(svc->server)), OCI_SUCCESS;
      if (attr == OCI_ATTR_SESSION) return put<void*>(attributep, static_cast<emu_handle*>(svc->session)), OCI_SUCCESS;
      if (attr == OCI_ATTR_MAX_IDENTIFIER_LEN)  // a ub1, read from the session's service
        return put<ub1>(attributep, static_cast<ub1>(svc->connection().settings().identifier_limit())), OCI_SUCCESS;
      break;
    }
    case OCI_HTYPE_SERVER: {
      // Known to the client without asking the server: normal while attached and reachable.
      auto* server = static_cast<emu_server*>(h);
      if (attr == OCI_ATTR_SERVER_STATUS)
        return put<ub4>(attributep, server->attached && server_reachable() ? OCI_SERVER_NORMAL
                                                                           : OCI_SERVER_NOT_CONNECTED),
               OCI_SUCCESS;
      break;
    }
    case OCI_HTYPE_ENV: {
      auto* env = static_cast<emu_env*>(h);
      if (attr == OCI_ATTR_ENV_CHARSET_ID) return put<ub2>(attributep, env->charset), OCI_SUCCESS;
      if (attr == OCI_ATTR_NCHARSET_ID) return put<ub2>(attributep, env->ncharset), OCI_SUCCESS;
      break;
    }
    case OCI_HTYPE_BIND:
      if (attr == OCI_ATTR_ROWS_RETURNED)
        return put<ub4>(attributep, static_cast<emu_bind*>(h)->rows_returned), OCI_SUCCESS;
      break;
    case OCI_HTYPE_ERROR:
      if (attr == OCI_ATTR_DML_ROW_OFFSET)
        return put<ub4>(attributep, static_cast<emu_error_handle*>(h)->row_offset), OCI_SUCCESS;
      break;
    case OCI_HTYPE_SESSION: {
      auto* s = static_cast<emu_session*>(h);
      if (attr == OCI_ATTR_USERNAME) {
        static thread_local std::string bytes;
        bytes = s->env->encode(s->user);
        return put_text(attributep, sizep, bytes), OCI_SUCCESS;
      }
      break;
    }
    default: break;
  }
  (void)type;
  throw ora_error(24315);
}

sword attr_set(emu_handle* h, void* attributep, ub4 size, ub4 attr) {
  switch (h->type) {
    case OCI_HTYPE_SVCCTX: {
      auto* svc = static_cast<emu_svcctx*>(h);
      if (attr == OCI_ATTR_SERVER) {
        svc->server = handle_cast<emu_server>(attributep, OCI_HTYPE_SERVER);
        return svc->server ? OCI_SUCCESS : OCI_INVALID_HANDLE;
      }
      if (attr == OCI_ATTR_SESSION) {
        svc->session = handle_cast<emu_session>(attributep, OCI_HTYPE_SESSION);
        return svc->session ? OCI_SUCCESS : OCI_INVALID_HANDLE;
      }
      break;
    }
    case OCI_HTYPE_SESSION: {
      auto* s = static_cast<emu_session*>(h);
      if (attr == OCI_ATTR_USERNAME) return s->user = s->env->decode(attributep, size), OCI_SUCCESS;
      if (attr == OCI_ATTR_PASSWORD) return s->password = s->env->decode(attributep, size), OCI_SUCCESS;
      break;
    }
    case OCI_HTYPE_STMT:
      if (attr == OCI_ATTR_PREFETCH_ROWS)
        return static_cast<emu_stmt*>(h)->prefetch_rows = get<ub4>(attributep), OCI_SUCCESS;
      break;
    case OCI_HTYPE_BIND:
      if (attr == OCI_ATTR_CHARSET_FORM)
        return static_cast<emu_bind*>(h)->charset_form = get<ub1>(attributep), OCI_SUCCESS;
      if (attr == OCI_ATTR_MAXDATA_SIZE)
        return static_cast<emu_bind*>(h)->maxdata_size = get<ub4>(attributep), OCI_SUCCESS;
      if (attr == OCI_ATTR_CHARSET_ID) return OCI_SUCCESS;
      break;
    case OCI_HTYPE_DEFINE:
      if (attr == OCI_ATTR_CHARSET_FORM || attr == OCI_ATTR_CHARSET_ID || attr == OCI_ATTR_MAXDATA_SIZE)
        return OCI_SUCCESS;
      break;
    default: break;
  }
  throw ora_error(24315);
}

// A user name given without quotes is upper-cased, as at a server's logon.
std::u16string logon_name(const std::u16string& name) {
  if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"') return name.substr(1, name.size() - 2);
  return upper_identifier(name);
}

std::u16string placeholder_name(const emu_env& env, const OraText* text, sb4 length) {
  std::u16string name = env.decode(text, length > 0 ? static_cast<std::size_t>(length) : 0);
  if (!name.empty() && name[0] == u':') name.erase(0, 1);
  return upper_identifier(name);
}

}  // namespace

extern "C" {

sword OCIEnvNlsCreate(OCIEnv** envhpp, ub4 mode, void*, void* (*)(void*, size_t),
                      void* (*)(void*, void*, size_t), void (*)(void*, void*), size_t xtramem_sz,
                      void** usrmempp, ub2 charset, ub2 ncharset) {
  if (!envhpp) return OCI_INVALID_HANDLE;
  auto* env = new emu_env(mode, charset, ncharset);
  *envhpp = reinterpret_cast<OCIEnv*>(static_cast<emu_handle*>(env));
  if (usrmempp) *usrmempp = xtramem_sz ? std::calloc(1, xtramem_sz) : nullptr;
  return OCI_SUCCESS;
}

sword OCIEnvCreate(OCIEnv** envhpp, ub4 mode, void* ctxp, void* (*m)(void*, size_t),
                   void* (*r)(void*, void*, size_t), void (*f)(void*, void*), size_t xtramem_sz,
                   void** usrmempp) {
  return OCIEnvNlsCreate(envhpp, mode, ctxp, m, r, f, xtramem_sz, usrmempp, 0, 0);
}

sword OCIHandleAlloc(const void* parenth, void** hndlpp, const ub4 type, const size_t, void** usrmempp) {
  return allocate(parenth, hndlpp, usrmempp, [type](emu_env* env) { return new_handle(env, type); });
}

sword OCIHandleFree(void* hndlp, const ub4 type) {
  emu_handle* h = find_handle(hndlp, type);
  if (!h) return OCI_INVALID_HANDLE;
  if (type == OCI_HTYPE_BIND || type == OCI_HTYPE_DEFINE) return OCI_SUCCESS;  // owned by the statement
  if (type == OCI_HTYPE_ERROR && static_cast<emu_error_handle*>(h)->lent) return OCI_SUCCESS;
  free_handle(h);
  return OCI_SUCCESS;
}

sword OCIDescriptorAlloc(const void* parenth, void** descpp, const ub4 type, const size_t, void** usrmempp) {
  return allocate(parenth, descpp, usrmempp, [type](emu_env* env) { return new_descriptor(env, type); });
}

sword OCIDescriptorFree(void* descp, const ub4 type) {
  emu_handle* h = find_handle(descp, type == OCI_DTYPE_PARAM ? OCI_DTYPE_PARAM : type);
  if (!h) return OCI_INVALID_HANDLE;
  free_handle(h);
  return OCI_SUCCESS;
}

sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype, OCIError* errhp) {
  emu_handle* h = find_handle(trgthndlp, trghndltyp);
  if (!h) return OCI_INVALID_HANDLE;
  return guarded(error_handle(errhp), [&] { return attr_set(h, attributep, size, attrtype); });
}

sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype, OCIError* errhp) {
  emu_handle* h = find_handle(trgthndlp, trghndltyp);
  if (!h) return OCI_INVALID_HANDLE;
  return guarded(error_handle(errhp), [&] { return attr_get(h, trghndltyp, attributep, sizep, attrtype); });
}

sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len, ub4) {
  auto* server = handle_cast<emu_server>(srvhp, OCI_HTYPE_SERVER);
  auto* err = error_handle(errhp);
  if (!server || !err) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    count_round_trip();
    const std::u16string text = server->env->decode(dblink, dblink_len > 0 ? static_cast<std::size_t>(dblink_len) : 0);
    server->service_file = emu_home::from_environment().resolve(to_utf8(text));
    server->connect_string = to_utf8(text);
    server->attached = true;
    return OCI_SUCCESS;
  });
}

sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4) {
  auto* server = handle_cast<emu_server>(srvhp, OCI_HTYPE_SERVER);
  if (!server || !error_handle(errhp)) return OCI_INVALID_HANDLE;
  server->attached = false;
  return OCI_SUCCESS;
}

sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4) {
  auto* svc = handle_cast<emu_svcctx>(svchp, OCI_HTYPE_SVCCTX);
  auto* session = handle_cast<emu_session>(usrhp, OCI_HTYPE_SESSION);
  auto* err = error_handle(errhp);
  if (!svc || !session || !err || !svc->server) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    count_round_trip();
    if (!svc->server->attached) throw ora_error(3114);
    std::u16string user = session->user, password = session->password;
    // External credentials: the wallet's entry for the connect string; none
    // is a refused logon, as a server refuses an unknown external user.
    if (credt == OCI_CRED_EXT) {
      std::string wallet_user, wallet_password;
      if (!emu_home::from_environment().wallet_credential(svc->server->connect_string, wallet_user, wallet_password))
        throw ora_error(1017);
      user = to_utf16(wallet_user);
      password = to_utf16(wallet_password);
    } else if (credt != OCI_CRED_RDBMS) {
      throw ora_error(1017);
    }
    session->connection = std::make_unique<emu_connection>(svc->server->service_file, logon_name(user), password);
    set_help_lines(session->connection->settings().help_lines());
    svc->session = session;
    return OCI_SUCCESS;
  });
}

sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4) {
  auto* svc = handle_cast<emu_svcctx>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = error_handle(errhp);
  if (!svc || !err) return OCI_INVALID_HANDLE;
  auto* session = usrhp ? handle_cast<emu_session>(usrhp, OCI_HTYPE_SESSION) : svc->session;
  if (!session) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    if (!session->connection) {
      count_round_trip();
      throw ora_error(3114);
    }
    const auto delay = session->connection->round_trip();
    session->connection->wait_outside_locks(delay);
    if (unverified::session_end_commits) session->connection->commit();
    session->connection.reset();
    return OCI_SUCCESS;
  });
}

sword OCIPing(OCISvcCtx* svchp, OCIError* errhp, ub4) {
  auto* svc = handle_cast<emu_svcctx>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = error_handle(errhp);
  if (!svc || !err) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    svc->connection().wait_outside_locks(svc->connection().round_trip());
    return OCI_SUCCESS;
  });
}

// The release of the client the emulation stands in for; no handle, no round trip.
void OCIClientVersion(sword* major_version, sword* minor_version, sword* update_num, sword* patch_num,
                      sword* port_update_num) {
  const sword parts[] = {19, 0, 0, 0, 0};
  sword* slots[] = {major_version, minor_version, update_num, patch_num, port_update_num};
  for (std::size_t i = 0; i < 5; ++i)
    if (slots[i]) *slots[i] = parts[i];
}

sword OCIServerVersion(void* hndlp, OCIError* errhp, OraText* bufp, ub4 bufsz, ub1 hndltype) {
  emu_handle* h = find_handle(hndlp, hndltype);
  auto* err = error_handle(errhp);
  if (!h || !err || !bufp) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    count_round_trip();
    const std::string text = h->env->encode(u16(banner)) + std::string(h->env->unit(), '\0');
  const std::size_t n = std::min<std::size_t>(text.size(), bufsz);
  std::memcpy(bufp, text.data(), n);
    if (n < text.size() && bufsz >= h->env->unit()) std::memset(bufp + bufsz / h->env->unit() * h->env->unit() - h->env->unit(), 0, h->env->unit());
    return OCI_SUCCESS;
  });
}

sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4, ub4) {
  auto* s = handle_cast<emu_stmt>(stmtp, OCI_HTYPE_STMT);
  auto* err = error_handle(errhp);
  if (!s || !err) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    if (!stmt || stmt_len == 0) throw ora_error(24373);
    s->prepare(s->env->decode(stmt, stmt_len));
    return OCI_SUCCESS;
  });
}

sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff,
                     const OCISnapshot*, OCISnapshot*, ub4 mode) {
  auto* svc = handle_cast<emu_svcctx>(svchp, OCI_HTYPE_SVCCTX);
  auto* s = handle_cast<emu_stmt>(stmtp, OCI_HTYPE_STMT);
  auto* err = error_handle(errhp);
  if (!svc || !s || !err) return OCI_INVALID_HANDLE;
  return guarded(err, [&] { return s->execute(*svc, *err, iters, rowoff, mode); });
}

sword OCIStmtFetch2(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4, ub4) {
  auto* s = handle_cast<emu_stmt>(stmtp, OCI_HTYPE_STMT);
  auto* err = error_handle(errhp);
  if (!s || !err) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    if (s->connection) s->connection->wait_outside_locks(s->connection->round_trip());
    else count_round_trip();
    err->clear();
    if (orientation != OCI_FETCH_NEXT && orientation != OCI_DEFAULT) throw ora_error(24391);
    return s->fetch(*err, nrows);
  });
}

sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, ub4 mode) {
  return OCIStmtFetch2(stmtp, errhp, nrows, orientation, 0, mode);
}

sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos) {
  auto* err = error_handle(errhp);
  if (!parmdpp) return OCI_INVALID_HANDLE;
  if (htype == OCI_HTYPE_ERROR) {
    auto* source = handle_cast<emu_error_handle>(hndlp, OCI_HTYPE_ERROR);
    if (!source) return OCI_INVALID_HANDLE;
    if (pos >= source->batch.size()) return OCI_NO_DATA;
    // A handle the caller allocated is filled in; otherwise one the error handle owns is lent.
    auto* target = handle_cast<emu_error_handle>(*parmdpp, OCI_HTYPE_ERROR);
    if (!target) {
      source->row_handles.push_back(std::make_unique<emu_error_handle>(source->env, false));
      target = source->row_handles.back().get();
      target->lent = true;
      *parmdpp = static_cast<emu_handle*>(target);
    }
    target->set(source->batch[pos].error);
    target->row_offset = source->batch[pos].offset;
    return OCI_SUCCESS;
  }
  auto* s = handle_cast<emu_stmt>(hndlp, OCI_HTYPE_STMT);
  if (!s || !err) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    if (!s->query) throw ora_error(24338);
    if (pos == 0 || pos > s->query->columns().size()) throw ora_error(24334);
    *parmdpp = static_cast<emu_handle*>(new emu_param(s->env, s->query->columns()[pos - 1]));
    return OCI_SUCCESS;
  });
}

sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position, void* valuep,
                     sb4 value_sz, ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4) {
  auto* s = handle_cast<emu_stmt>(stmtp, OCI_HTYPE_STMT);
  auto* err = error_handle(errhp);
  if (!s || !err || !defnpp) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    emu_define* d = s->define(position);
    d->value = valuep;
    d->value_size = value_sz;
    d->dty = dty;
    d->indicators = static_cast<sb2*>(indp);
    d->lengths = rlenp;
    d->return_codes = rcodep;
    *defnpp = reinterpret_cast<OCIDefine*>(static_cast<emu_handle*>(d));
    return OCI_SUCCESS;
  });
}

static sword bind_common(emu_stmt* s, emu_error_handle* err, OCIBind** bindpp, const std::u16string& name,
                         ub4 position, void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp,
                         ub2* rcodep, ub4 mode) {
  if (!s || !err || !bindpp) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    // OCI Programmer's Guide, OCIBindByName: value_sz is the maximum size possible in bytes
    // of any data value; a buffer given with none (a size that wrapped past 2 GB - 1 comes
    // out negative) is no length a server takes (ORA-01459).
    if (valuep && value_sz <= 0 && !is_descriptor_type(dty)) throw ora_error(1459);
    emu_bind* b = s->bind(name, position);
    b->value = valuep;
    b->value_size = value_sz;
    b->dty = dty;
    b->indicators = indp;
    b->lengths = alenp;
    b->return_codes = rcodep;
    b->mode = mode;
    *bindpp = reinterpret_cast<OCIBind*>(static_cast<emu_handle*>(b));
    return OCI_SUCCESS;
  });
}

sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp, const OraText* placeholder,
                    sb4 placeh_len, void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp,
                    ub2* rcodep, ub4, ub4*, ub4 mode) {
  auto* s = handle_cast<emu_stmt>(stmtp, OCI_HTYPE_STMT);
  if (!s) return OCI_INVALID_HANDLE;
  const std::u16string name = placeholder_name(*s->env, placeholder, placeh_len);
  if (name.empty()) {
    auto* err = error_handle(errhp);
    if (err) err->set(ora_error(1036));
    return OCI_ERROR;
  }
  return bind_common(s, error_handle(errhp), bindpp, name, 0, valuep, value_sz, dty, indp, alenp, rcodep, mode);
}

sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp, ub4 position, void* valuep,
                   sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2* rcodep, ub4, ub4*, ub4 mode) {
  auto* s = handle_cast<emu_stmt>(stmtp, OCI_HTYPE_STMT);
  return bind_common(s, error_handle(errhp), bindpp, u"", position, valuep, value_sz, dty, indp, alenp, rcodep, mode);
}

sword OCIBindDynamic(OCIBind* bindp, OCIError* errhp, void* ictxp, OCICallbackInBind icbfp, void* octxp,
                     OCICallbackOutBind ocbfp) {
  auto* b = handle_cast<emu_bind>(bindp, OCI_HTYPE_BIND);
  if (!b || !error_handle(errhp)) return OCI_INVALID_HANDLE;
  b->in_context = ictxp;
  b->in_callback = icbfp;
  b->out_context = octxp;
  b->out_callback = ocbfp;
  return OCI_SUCCESS;
}

sword OCILobWrite(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset, void* bufp,
                  ub4 buflen, ub1 piece, void* ctxp, OCICallbackLobWrite cbfp, ub2 csid, ub1) {
  auto* svc = handle_cast<emu_svcctx>(svchp, OCI_HTYPE_SVCCTX);
  auto* lob = handle_cast<emu_lob>(locp, OCI_DTYPE_LOB);
  auto* err = error_handle(errhp);
  if (!svc || !lob || !err) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    return emu_lob_ops(*svc, *lob).write(amtp, offset, bufp, buflen, piece, ctxp, cbfp, csid);
  });
}

sword OCILobRead(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset, void* bufp,
                 ub4 bufl, void* ctxp, OCICallbackLobRead cbfp, ub2 csid, ub1) {
  auto* svc = handle_cast<emu_svcctx>(svchp, OCI_HTYPE_SVCCTX);
  auto* lob = handle_cast<emu_lob>(locp, OCI_DTYPE_LOB);
  auto* err = error_handle(errhp);
  if (!svc || !lob || !err) return OCI_INVALID_HANDLE;
  return guarded(err, [&] { return emu_lob_ops(*svc, *lob).read(amtp, offset, bufp, bufl, ctxp, cbfp, csid); });
}

sword OCILobCharSetForm(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp, ub1* csfrm) {
  auto* lob = handle_cast<emu_lob>(locp, OCI_DTYPE_LOB);
  if (!handle_cast<emu_env>(envhp, OCI_HTYPE_ENV) || !lob || !error_handle(errhp) || !csfrm) return OCI_INVALID_HANDLE;
  *csfrm = lob->kind == type_kind::blob ? 0 : lob->kind == type_kind::nclob ? SQLCS_NCHAR : SQLCS_IMPLICIT;
  return OCI_SUCCESS;
}

sword OCILobGetLength(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* lenp) {
  auto* svc = handle_cast<emu_svcctx>(svchp, OCI_HTYPE_SVCCTX);
  auto* lob = handle_cast<emu_lob>(locp, OCI_DTYPE_LOB);
  auto* err = error_handle(errhp);
  if (!svc || !lob || !err || !lenp) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    *lenp = emu_lob_ops(*svc, *lob).length();
    return OCI_SUCCESS;
  });
}

sword OCIDateTimeGetDate(void*, OCIError* err, const OCIDateTime* datetime, sb2* year, ub1* month, ub1* day) {
  auto* d = handle_cast<emu_datetime_descriptor>(datetime, OCI_DTYPE_TIMESTAMP);
  if (!d || !error_handle(err)) return OCI_INVALID_HANDLE;
  put<sb2>(year, static_cast<sb2>(d->value.year));
  put<ub1>(month, static_cast<ub1>(d->value.month));
  put<ub1>(day, static_cast<ub1>(d->value.day));
  return OCI_SUCCESS;
}

sword OCIDateTimeGetTime(void*, OCIError* err, OCIDateTime* datetime, ub1* hour, ub1* min, ub1* sec, ub4* fsec) {
  auto* d = handle_cast<emu_datetime_descriptor>(datetime, OCI_DTYPE_TIMESTAMP);
  if (!d || !error_handle(err)) return OCI_INVALID_HANDLE;
  put<ub1>(hour, static_cast<ub1>(d->value.hour));
  put<ub1>(min, static_cast<ub1>(d->value.minute));
  put<ub1>(sec, static_cast<ub1>(d->value.second));
  put<ub4>(fsec, d->value.nanosecond);
  return OCI_SUCCESS;
}

sword OCIDateTimeConstruct(void*, OCIError* errhp, OCIDateTime* datetime, sb2 year, ub1 month, ub1 day,
                           ub1 hour, ub1 min, ub1 sec, ub4 fsec, OraText*, size_t) {
  auto* d = handle_cast<emu_datetime_descriptor>(datetime, OCI_DTYPE_TIMESTAMP);
  auto* err = error_handle(errhp);
  if (!d || !err) return OCI_INVALID_HANDLE;
  emu_datetime v{year, month, day, hour, min, sec, fsec};
  if (!v.valid()) {
    err->set(ora_error(1847));
    return OCI_ERROR;
  }
  d->value = v;
  return OCI_SUCCESS;
}

sword OCIRowidToChar(OCIRowid* rowidDesc, OraText* outbfp, ub2* outbflp, OCIError* errhp) {
  auto* r = handle_cast<emu_rowid_descriptor>(rowidDesc, OCI_DTYPE_ROWID);
  auto* err = error_handle(errhp);
  if (!r || !err || !outbflp) return OCI_INVALID_HANDLE;
  const std::string bytes = r->env->encode(r->text);
  if (!outbfp || *outbflp < bytes.size()) {
    *outbflp = static_cast<ub2>(bytes.size());
    err->set(ora_error(1406));
    return OCI_ERROR;
  }
  std::memcpy(outbfp, bytes.data(), bytes.size());
  *outbflp = static_cast<ub2>(bytes.size());
  return OCI_SUCCESS;
}

sword OCIErrorGet(void* hndlp, ub4 recordno, OraText*, sb4* errcodep, OraText* bufp, ub4 bufsiz, ub4 type) {
  emu_handle* h = find_handle(hndlp, type);
  if (!h || (type != OCI_HTYPE_ERROR && type != OCI_HTYPE_ENV)) return OCI_INVALID_HANDLE;
  const std::vector<emu_error>& records =
      type == OCI_HTYPE_ERROR ? static_cast<emu_error_handle*>(h)->records : static_cast<emu_env*>(h)->errors;
  if (recordno == 0 || recordno > records.size()) return OCI_NO_DATA;
  const emu_error& e = records[recordno - 1];
  if (bufp && bufsiz > 0) {
    const emu_env& env = *h->env;
    const std::string text = env.encode(to_utf16(client_message(e) + "\n"));
    const std::size_t unit = env.unit();
    const std::size_t room = bufsiz >= unit ? (bufsiz - unit) / unit * unit : 0;
    // OCI Programmer's Guide, OCIErrorGet: a buffer too small for the message is OCI_ERROR.
    if (text.size() > room && !unverified::short_error_buffer_succeeds) return OCI_ERROR;
    const std::size_t n = std::min(text.size(), room);
    std::memcpy(bufp, text.data(), n);
    if (bufsiz >= n + unit) std::memset(bufp + n, 0, unit);
  }
  if (errcodep) *errcodep = e.code();
  return OCI_SUCCESS;
}

sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4) {
  auto* svc = handle_cast<emu_svcctx>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = error_handle(errhp);
  if (!svc || !err) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    svc->connection().wait_outside_locks(svc->connection().round_trip());
    svc->connection().commit();
    return OCI_SUCCESS;
  });
}

sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4) {
  auto* svc = handle_cast<emu_svcctx>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = error_handle(errhp);
  if (!svc || !err) return OCI_INVALID_HANDLE;
  return guarded(err, [&] {
    svc->connection().wait_outside_locks(svc->connection().round_trip());
    svc->connection().rollback();
    return OCI_SUCCESS;
  });
}

ub8 ociemu_round_trips(void) { return round_trips(); }

}  // extern "C"
