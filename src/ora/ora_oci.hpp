// Our declarations of the Oracle Call Interface: the scalar types, handle
// types, constants and entry points the Oracle target calls. Values are
// Oracle's documented ones. Nothing here links to a client: the entry points
// are resolved at run time by ora_oci_library.
#pragma once

#include <cstddef>
#include <cstdint>

using ub1 = std::uint8_t;
using sb1 = std::int8_t;
using ub2 = std::uint16_t;
using sb2 = std::int16_t;
using ub4 = std::uint32_t;
using sb4 = std::int32_t;
using sword = int;
using OraText = unsigned char;

struct OCIEnv;
struct OCIError;
struct OCIServer;
struct OCISession;
struct OCISvcCtx;
struct OCIStmt;
struct OCIBind;
struct OCIDefine;
struct OCIParam;
struct OCILobLocator;
struct OCIDateTime;
struct OCISnapshot;

namespace oci {

constexpr sword success = 0;
constexpr sword success_with_info = 1;
constexpr sword no_data = 100;
constexpr sword error = -1;
constexpr sword invalid_handle = -2;
constexpr sb4 callback_continue = -24200;

constexpr ub4 default_mode = 0;
constexpr ub4 threaded = 0x1;
constexpr ub4 cred_rdbms = 1;
constexpr ub4 cred_ext = 2;  // a wallet or the operating system vouches for the user
constexpr ub4 ntv_syntax = 1;
constexpr ub4 data_at_exec = 0x2;
constexpr ub4 describe_only = 0x10;
constexpr ub4 commit_on_success = 0x20;
constexpr ub4 batch_errors = 0x80;
constexpr ub2 fetch_next = 0x02;
constexpr ub1 one_piece = 0;

constexpr ub4 htype_env = 1;
constexpr ub4 htype_error = 2;
constexpr ub4 htype_svcctx = 3;
constexpr ub4 htype_stmt = 4;
constexpr ub4 htype_server = 8;
constexpr ub4 htype_session = 9;
constexpr ub4 htype_bind = 5;
constexpr ub4 dtype_lob = 50;
constexpr ub4 dtype_param = 53;
constexpr ub4 dtype_timestamp = 68;

constexpr ub4 attr_data_size = 1;
constexpr ub4 attr_data_type = 2;
constexpr ub4 attr_name = 4;
constexpr ub4 attr_precision = 5;
constexpr ub4 attr_scale = 6;
constexpr ub4 attr_server = 6;
constexpr ub4 attr_is_null = 7;
constexpr ub4 attr_session = 7;
constexpr ub4 attr_row_count = 9;
constexpr ub4 attr_param_count = 18;
constexpr ub4 attr_charset_form = 32;
constexpr ub4 attr_maxdata_size = 33;
constexpr ub4 attr_num_dml_errors = 73;
constexpr ub4 attr_dml_row_offset = 74;
constexpr ub4 attr_rows_fetched = 197;
constexpr ub4 attr_username = 22;
constexpr ub4 attr_password = 23;
constexpr ub4 attr_char_size = 286;
// On the server handle: whether the connection still stands, as the client
// last knew it (no round trip).
constexpr ub4 attr_server_status = 143;
constexpr ub4 server_not_connected = 0;
constexpr ub4 server_normal = 1;
// On the service context, from Oracle Client 12.2: the longest identifier
// the server takes, in bytes. Documented as ub1; read into a zeroed ub4 as
// ODPI-C does, which holds either width on a little-endian machine.
constexpr ub4 attr_max_identifier_len = 500;

constexpr ub2 utf16_id = 1000;
constexpr ub1 sqlcs_implicit = 1;
constexpr ub1 sqlcs_nchar = 2;

constexpr ub2 sqlt_chr = 1;
constexpr ub2 sqlt_int = 3;
constexpr ub2 sqlt_str = 5;
constexpr ub2 sqlt_vnu = 6;
constexpr ub2 sqlt_bin = 23;
constexpr ub2 sqlt_lvc = 94;
constexpr ub2 sqlt_lvb = 95;
constexpr ub2 sqlt_clob = 112;
constexpr ub2 sqlt_blob = 113;
constexpr ub2 sqlt_odt = 156;
constexpr ub2 sqlt_timestamp = 187;
// Oracle's NUMBER as SQLT_VNU carries it: a length byte, then up to 21 bytes.
constexpr std::size_t number_bytes = 22;

// The client's date (SQLT_ODT, laid out as OCIDate): independent of the
// session's date format.
struct date {
  sb2 year;
  ub1 month, day, hour, minute, second;
};

}  // namespace oci

using OCICallbackInBind = sb4 (*)(void* ictxp, OCIBind* bindp, ub4 iter, ub4 index,
                                  void** bufpp, ub4* alenp, ub1* piecep, void** indp);
using OCICallbackOutBind = sb4 (*)(void* octxp, OCIBind* bindp, ub4 iter, ub4 index,
                                   void** bufpp, ub4** alenp, ub1* piecep, void** indp,
                                   ub2** rcodep);
using OCICallbackLobWrite = sb4 (*)(void* ctxp, void* bufp, ub4* lenp, ub1* piecep);
using OCICallbackLobRead = sb4 (*)(void* ctxp, const void* bufp, ub4 len, ub1 piece);

// The entry points, as pointer types named after the calls. Each type is the
// call's own, callbacks included: a call through a pointer of another
// function type is undefined, whatever the arguments passed.
struct ora_oci_calls {
  sword (*OCIEnvNlsCreate)(OCIEnv**, ub4, void*, void* (*)(void*, std::size_t),
                           void* (*)(void*, void*, std::size_t), void (*)(void*, void*),
                           std::size_t, void**, ub2, ub2);
  sword (*OCIHandleAlloc)(const void*, void**, ub4, std::size_t, void**);
  sword (*OCIHandleFree)(void*, ub4);
  sword (*OCIDescriptorAlloc)(const void*, void**, ub4, std::size_t, void**);
  sword (*OCIDescriptorFree)(void*, ub4);
  sword (*OCIAttrSet)(void*, ub4, void*, ub4, ub4, OCIError*);
  sword (*OCIAttrGet)(const void*, ub4, void*, ub4*, ub4, OCIError*);
  sword (*OCIServerAttach)(OCIServer*, OCIError*, const OraText*, sb4, ub4);
  sword (*OCIServerDetach)(OCIServer*, OCIError*, ub4);
  sword (*OCISessionBegin)(OCISvcCtx*, OCIError*, OCISession*, ub4, ub4);
  sword (*OCISessionEnd)(OCISvcCtx*, OCIError*, OCISession*, ub4);
  sword (*OCIStmtPrepare)(OCIStmt*, OCIError*, const OraText*, ub4, ub4, ub4);
  sword (*OCIStmtExecute)(OCISvcCtx*, OCIStmt*, OCIError*, ub4, ub4, const OCISnapshot*,
                          OCISnapshot*, ub4);
  sword (*OCIStmtFetch)(OCIStmt*, OCIError*, ub4, ub2, ub4);
  sword (*OCIParamGet)(const void*, ub4, OCIError*, void**, ub4);
  sword (*OCIDefineByPos)(OCIStmt*, OCIDefine**, OCIError*, ub4, void*, sb4, ub2, void*, ub2*,
                          ub2*, ub4);
  sword (*OCIBindByName)(OCIStmt*, OCIBind**, OCIError*, const OraText*, sb4, void*, sb4, ub2,
                         void*, ub2*, ub2*, ub4, ub4*, ub4);
  sword (*OCIBindDynamic)(OCIBind*, OCIError*, void*, OCICallbackInBind, void*,
                          OCICallbackOutBind);
  sword (*OCILobWrite)(OCISvcCtx*, OCIError*, OCILobLocator*, ub4*, ub4, void*, ub4, ub1, void*,
                       OCICallbackLobWrite, ub2, ub1);
  sword (*OCILobRead)(OCISvcCtx*, OCIError*, OCILobLocator*, ub4*, ub4, void*, ub4, void*,
                      OCICallbackLobRead, ub2, ub1);
  sword (*OCILobCharSetForm)(OCIEnv*, OCIError*, const OCILobLocator*, ub1*);
  sword (*OCILobGetLength)(OCISvcCtx*, OCIError*, OCILobLocator*, ub4*);
  sword (*OCIDateTimeGetDate)(void*, OCIError*, const OCIDateTime*, sb2*, ub1*, ub1*);
  sword (*OCIDateTimeGetTime)(void*, OCIError*, OCIDateTime*, ub1*, ub1*, ub1*, ub4*);
  sword (*OCIDateTimeConstruct)(void*, OCIError*, OCIDateTime*, sb2, ub1, ub1, ub1, ub1, ub1, ub4, OraText*,
                                std::size_t);
  sword (*OCIErrorGet)(void*, ub4, OraText*, sb4*, OraText*, ub4, ub4);
  sword (*OCITransCommit)(OCISvcCtx*, OCIError*, ub4);
  sword (*OCITransRollback)(OCISvcCtx*, OCIError*, ub4);
};
