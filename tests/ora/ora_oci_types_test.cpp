// Each entry point of our call table has exactly the function type the
// client library defines (here the emulation's published declarations),
// callbacks included: a call through a pointer of another function type is
// undefined even when every argument fits, and clang's function sanitizer
// stops at it. GCC has no such check, so the types are compared here.
#include <gtest/gtest.h>

#include <type_traits>

#include "oci.h"
#include "ora_oci.hpp"

#define VESPER_SAME_TYPE(name) \
  static_assert(std::is_same_v<decltype(ora_oci_calls::name), decltype(&::name)>, #name)

VESPER_SAME_TYPE(OCIEnvNlsCreate);
VESPER_SAME_TYPE(OCIHandleAlloc);
VESPER_SAME_TYPE(OCIHandleFree);
VESPER_SAME_TYPE(OCIDescriptorAlloc);
VESPER_SAME_TYPE(OCIDescriptorFree);
VESPER_SAME_TYPE(OCIAttrSet);
VESPER_SAME_TYPE(OCIAttrGet);
VESPER_SAME_TYPE(OCIServerAttach);
VESPER_SAME_TYPE(OCIServerDetach);
VESPER_SAME_TYPE(OCISessionBegin);
VESPER_SAME_TYPE(OCISessionEnd);
VESPER_SAME_TYPE(OCIStmtPrepare);
VESPER_SAME_TYPE(OCIStmtExecute);
VESPER_SAME_TYPE(OCIStmtFetch);
VESPER_SAME_TYPE(OCIParamGet);
VESPER_SAME_TYPE(OCIDefineByPos);
VESPER_SAME_TYPE(OCIBindByName);
VESPER_SAME_TYPE(OCIBindDynamic);
VESPER_SAME_TYPE(OCILobWrite);
VESPER_SAME_TYPE(OCILobRead);
VESPER_SAME_TYPE(OCILobCharSetForm);
VESPER_SAME_TYPE(OCILobGetLength);
VESPER_SAME_TYPE(OCIDateTimeGetDate);
VESPER_SAME_TYPE(OCIDateTimeGetTime);
VESPER_SAME_TYPE(OCIDateTimeConstruct);
VESPER_SAME_TYPE(OCIErrorGet);
VESPER_SAME_TYPE(OCITransCommit);
VESPER_SAME_TYPE(OCITransRollback);
static_assert(std::is_same_v<::OCICallbackInBind, OCICallbackInBind>);
static_assert(std::is_same_v<::OCICallbackOutBind, OCICallbackOutBind>);
static_assert(std::is_same_v<::OCICallbackLobWrite, OCICallbackLobWrite>);
static_assert(std::is_same_v<::OCICallbackLobRead, OCICallbackLobRead>);

// The call table has no entry the checks above leave out.
static_assert(sizeof(ora_oci_calls) == 28 * sizeof(void (*)()), "an entry point without a type check");

// Our constants carry the values of the client's header.
TEST(OraOciTypes, ConstantsHaveTheClientValues) {
  EXPECT_EQ(oci::success_with_info, OCI_SUCCESS_WITH_INFO);
  EXPECT_EQ(oci::no_data, OCI_NO_DATA);
  EXPECT_EQ(oci::error, OCI_ERROR);
  EXPECT_EQ(oci::invalid_handle, OCI_INVALID_HANDLE);
  EXPECT_EQ(oci::callback_continue, OCI_CONTINUE);
  EXPECT_EQ(oci::threaded, OCI_THREADED);
  EXPECT_EQ(oci::cred_rdbms, OCI_CRED_RDBMS);
  EXPECT_EQ(oci::ntv_syntax, OCI_NTV_SYNTAX);
  EXPECT_EQ(oci::data_at_exec, OCI_DATA_AT_EXEC);
  EXPECT_EQ(oci::describe_only, OCI_DESCRIBE_ONLY);
  EXPECT_EQ(oci::commit_on_success, OCI_COMMIT_ON_SUCCESS);
  EXPECT_EQ(oci::fetch_next, OCI_FETCH_NEXT);
  EXPECT_EQ(oci::one_piece, OCI_ONE_PIECE);
  EXPECT_EQ(oci::htype_env, OCI_HTYPE_ENV);
  EXPECT_EQ(oci::htype_error, OCI_HTYPE_ERROR);
  EXPECT_EQ(oci::htype_svcctx, OCI_HTYPE_SVCCTX);
  EXPECT_EQ(oci::htype_stmt, OCI_HTYPE_STMT);
  EXPECT_EQ(oci::htype_server, OCI_HTYPE_SERVER);
  EXPECT_EQ(oci::htype_session, OCI_HTYPE_SESSION);
  EXPECT_EQ(oci::dtype_lob, OCI_DTYPE_LOB);
  EXPECT_EQ(oci::dtype_param, OCI_DTYPE_PARAM);
  EXPECT_EQ(oci::dtype_timestamp, OCI_DTYPE_TIMESTAMP);
  EXPECT_EQ(oci::attr_data_size, OCI_ATTR_DATA_SIZE);
  EXPECT_EQ(oci::attr_data_type, OCI_ATTR_DATA_TYPE);
  EXPECT_EQ(oci::attr_name, OCI_ATTR_NAME);
  EXPECT_EQ(oci::attr_precision, OCI_ATTR_PRECISION);
  EXPECT_EQ(oci::attr_scale, OCI_ATTR_SCALE);
  EXPECT_EQ(oci::attr_server, OCI_ATTR_SERVER);
  EXPECT_EQ(oci::attr_is_null, OCI_ATTR_IS_NULL);
  EXPECT_EQ(oci::attr_session, OCI_ATTR_SESSION);
  EXPECT_EQ(oci::attr_param_count, OCI_ATTR_PARAM_COUNT);
  EXPECT_EQ(oci::attr_username, OCI_ATTR_USERNAME);
  EXPECT_EQ(oci::attr_password, OCI_ATTR_PASSWORD);
  EXPECT_EQ(oci::attr_char_size, OCI_ATTR_CHAR_SIZE);
  EXPECT_EQ(oci::utf16_id, OCI_UTF16ID);
  EXPECT_EQ(oci::sqlcs_implicit, SQLCS_IMPLICIT);
  EXPECT_EQ(oci::sqlt_int, SQLT_INT);
  EXPECT_EQ(oci::sqlt_str, SQLT_STR);
  EXPECT_EQ(oci::sqlt_bin, SQLT_BIN);
  EXPECT_EQ(oci::sqlt_clob, SQLT_CLOB);
  EXPECT_EQ(oci::sqlt_blob, SQLT_BLOB);
  EXPECT_EQ(oci::sqlt_timestamp, SQLT_TIMESTAMP);
}
