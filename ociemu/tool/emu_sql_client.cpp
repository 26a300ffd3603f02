#include "emu_sql_client.hpp"

#include <memory>
#include <stdexcept>
#include <vector>

#include "emu_home.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

constexpr ub4 text_buffer_units = 32768;

const OraText* text_of(const std::u16string& s) { return reinterpret_cast<const OraText*>(s.data()); }
ub4 bytes_of(const std::u16string& s) { return static_cast<ub4>(s.size() * 2); }

struct column_buffer {
  ub2 type = 0;
  std::u16string text;
  OCILobLocator* lob = nullptr;
  sb2 indicator = 0;
  ub2 length = 0;
};

}  // namespace

emu_sql_client::emu_sql_client(const std::string& service, const std::string& user,
                               const std::string& password) {
  OCIEnvNlsCreate(&env_, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr, OCI_UTF16ID, OCI_UTF16ID);
  OCIHandleAlloc(env_, reinterpret_cast<void**>(&err_), OCI_HTYPE_ERROR, 0, nullptr);
  OCIHandleAlloc(env_, reinterpret_cast<void**>(&server_), OCI_HTYPE_SERVER, 0, nullptr);
  OCIHandleAlloc(env_, reinterpret_cast<void**>(&svc_), OCI_HTYPE_SVCCTX, 0, nullptr);
  OCIHandleAlloc(env_, reinterpret_cast<void**>(&session_), OCI_HTYPE_SESSION, 0, nullptr);
  const std::u16string address = to_utf16("//localhost:" + std::to_string(emu_home::from_environment().listener_port()) + "/" + service);
  check(OCIServerAttach(server_, err_, text_of(address), static_cast<sb4>(bytes_of(address)), OCI_DEFAULT));
  OCIAttrSet(svc_, OCI_HTYPE_SVCCTX, server_, 0, OCI_ATTR_SERVER, err_);
  const std::u16string u = to_utf16(user), p = to_utf16(password);
  OCIAttrSet(session_, OCI_HTYPE_SESSION, const_cast<char16_t*>(u.data()), bytes_of(u), OCI_ATTR_USERNAME, err_);
  OCIAttrSet(session_, OCI_HTYPE_SESSION, const_cast<char16_t*>(p.data()), bytes_of(p), OCI_ATTR_PASSWORD, err_);
  check(OCISessionBegin(svc_, err_, session_, OCI_CRED_RDBMS, OCI_DEFAULT));
  session_begun_ = true;
  OCIAttrSet(svc_, OCI_HTYPE_SVCCTX, session_, 0, OCI_ATTR_SESSION, err_);
}

emu_sql_client::~emu_sql_client() {
  if (session_begun_) OCISessionEnd(svc_, err_, session_, OCI_DEFAULT);
  OCIServerDetach(server_, err_, OCI_DEFAULT);
  OCIHandleFree(env_, OCI_HTYPE_ENV);
}

std::string emu_sql_client::error_text() {
  char16_t buffer[1024] = {0};
  sb4 code = 0;
  OCIErrorGet(err_, 1, nullptr, &code, reinterpret_cast<OraText*>(buffer), sizeof buffer, OCI_HTYPE_ERROR);
  std::string text = to_utf8(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

void emu_sql_client::check(sword status) {
  if (status == OCI_ERROR) throw std::runtime_error(error_text());
  if (status == OCI_INVALID_HANDLE) throw std::runtime_error("invalid handle");
}

std::string emu_sql_client::read_lob(OCILobLocator* lob) {
  ub1 form = 0;
  OCILobCharSetForm(env_, err_, lob, &form);
  std::u16string text;
  std::string bytes;
  std::vector<char> buffer(65536);
  for (ub4 offset = 1;;) {
    ub4 amount = 0;
    const sword status = OCILobRead(svc_, err_, lob, &amount, offset, buffer.data(),
                                    static_cast<ub4>(buffer.size()), nullptr, nullptr, 0, form ? form : SQLCS_IMPLICIT);
    check(status);
    if (status == OCI_NO_DATA || amount == 0) break;
    if (form) text.append(reinterpret_cast<const char16_t*>(buffer.data()), amount);
    else bytes.append(buffer.data(), amount);
    offset += amount;
    if (status != OCI_NEED_DATA) break;
  }
  if (form) return to_utf8(text);
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char b : bytes) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex;
}

bool emu_sql_client::print(const std::u16string& sql, std::ostream& out, bool header) {
  OCIStmt* stmt = nullptr;
  OCIHandleAlloc(env_, reinterpret_cast<void**>(&stmt), OCI_HTYPE_STMT, 0, nullptr);
  std::unique_ptr<OCIStmt, void (*)(OCIStmt*)> owner(stmt, [](OCIStmt* s) { OCIHandleFree(s, OCI_HTYPE_STMT); });
  try {
    check(OCIStmtPrepare(stmt, err_, text_of(sql), bytes_of(sql), OCI_NTV_SYNTAX, OCI_DEFAULT));
    ub2 type = 0;
    OCIAttrGet(stmt, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err_);
    if (type == OCI_STMT_SELECT) return print_rows(stmt, out, header);
    check(OCIStmtExecute(svc_, stmt, err_, 1, 0, nullptr, nullptr, OCI_COMMIT_ON_SUCCESS));
    ub4 rows = 0;
    OCIAttrGet(stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, err_);
    out << rows << " row(s)\n";
    return true;
  } catch (const std::exception& e) {
    out << e.what() << "\n";
    return false;
  }
}

bool emu_sql_client::print_rows(OCIStmt* stmt, std::ostream& out, bool header) {
  check(OCIStmtExecute(svc_, stmt, err_, 0, 0, nullptr, nullptr, OCI_DEFAULT));
  ub4 count = 0;
  OCIAttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, err_);
  std::vector<column_buffer> columns(count);
  for (ub4 i = 0; i < count; ++i) {
    void* param = nullptr;
    OCIParamGet(stmt, OCI_HTYPE_STMT, err_, &param, i + 1);
    OraText* name = nullptr;
    ub4 name_bytes = 0;
    OCIAttrGet(param, OCI_DTYPE_PARAM, &columns[i].type, nullptr, OCI_ATTR_DATA_TYPE, err_);
    OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &name_bytes, OCI_ATTR_NAME, err_);
    if (header) out << (i ? "\t" : "") << to_utf8(std::u16string(reinterpret_cast<const char16_t*>(name), name_bytes / 2));
    OCIDescriptorFree(param, OCI_DTYPE_PARAM);
    OCIDefine* define = nullptr;
    column_buffer& c = columns[i];
    if (c.type == SQLT_CLOB || c.type == SQLT_BLOB) {
      OCIDescriptorAlloc(env_, reinterpret_cast<void**>(&c.lob), OCI_DTYPE_LOB, 0, nullptr);
      check(OCIDefineByPos(stmt, &define, err_, i + 1, &c.lob, sizeof c.lob, c.type, &c.indicator, nullptr, nullptr, OCI_DEFAULT));
    } else {
      c.text.assign(text_buffer_units, u'\0');
      check(OCIDefineByPos(stmt, &define, err_, i + 1, c.text.data(), text_buffer_units * 2, SQLT_STR,
                           &c.indicator, &c.length, nullptr, OCI_DEFAULT));
    }
  }
  if (header) out << "\n";
  check(OCIStmtExecute(svc_, stmt, err_, 0, 0, nullptr, nullptr, OCI_DEFAULT));
  while (true) {
    const sword status = OCIStmtFetch2(stmt, err_, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
    check(status);
    if (status == OCI_NO_DATA) break;
    for (ub4 i = 0; i < count; ++i) {
      const column_buffer& c = columns[i];
      out << (i ? "\t" : "");
      if (c.indicator == -1) continue;
      if (c.lob) out << read_lob(c.lob);
      else out << to_utf8(std::u16string(c.text.data(), c.length / 2));
    }
    out << "\n";
  }
  for (auto& c : columns)
    if (c.lob) OCIDescriptorFree(c.lob, OCI_DTYPE_LOB);
  return true;
}

}  // namespace ociemu
