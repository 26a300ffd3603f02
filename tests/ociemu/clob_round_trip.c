/* A client written against the OCI calls alone: connects, creates a table with a CLOB,
   inserts a row returning its ROWID, writes the CLOB through a locator selected FOR UPDATE
   and reads it back. Exits 0 when the text read equals the text written. */
#include <oci.h>
#include <stdio.h>
#include <string.h>

static OCIEnv* env;
static OCIError* err;
static OCISvcCtx* svc;

static ub2 rowid_text[64];
static ub4 rowid_length = sizeof rowid_text;

static size_t u16len(const ub2* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

/* ASCII to UTF-16 into a static-size buffer; returns its length in bytes. */
static ub4 widen(const char* in, ub2* out) {
  size_t i = 0;
  for (; in[i]; ++i) out[i] = (ub2)(unsigned char)in[i];
  out[i] = 0;
  return (ub4)(i * 2);
}

static int check(sword status, const char* what) {
  if (status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO || status == OCI_NO_DATA) return 0;
  ub2 message[512];
  sb4 code = 0;
  message[0] = 0;
  OCIErrorGet(err, 1, NULL, &code, (OraText*)message, sizeof message, OCI_HTYPE_ERROR);
  fprintf(stderr, "%s failed: status %d, ORA-%05d\n", what, (int)status, (int)code);
  return 1;
}

static sb4 no_data(void* ctx, OCIBind* bind, ub4 iter, ub4 index, void** bufpp, ub4* alenp,
                   ub1* piecep, void** indpp) {
  static sb2 null_indicator = -1;
  (void)ctx; (void)bind; (void)iter; (void)index;
  *bufpp = NULL;
  *alenp = 0;
  *piecep = OCI_ONE_PIECE;
  *indpp = &null_indicator;
  return OCI_CONTINUE;
}

static sb4 take_rowid(void* ctx, OCIBind* bind, ub4 iter, ub4 index, void** bufpp, ub4** alenpp,
                      ub1* piecep, void** indpp, ub2** rcodepp) {
  static sb2 indicator;
  (void)ctx; (void)bind; (void)iter; (void)index;
  rowid_length = sizeof rowid_text - 2;
  *bufpp = rowid_text;
  *alenpp = &rowid_length;
  *piecep = OCI_ONE_PIECE;
  *indpp = &indicator;
  *rcodepp = NULL;
  return OCI_CONTINUE;
}

static int run(OCIStmt* stmt, const char* sql, ub4 iters, ub4 mode) {
  ub2 text[512];
  const ub4 bytes = widen(sql, text);
  if (check(OCIStmtPrepare(stmt, err, (OraText*)text, bytes, OCI_NTV_SYNTAX, OCI_DEFAULT), sql)) return 1;
  return check(OCIStmtExecute(svc, stmt, err, iters, 0, NULL, NULL, mode), sql);
}

static int connect_to(const char* address, const char* user, const char* password) {
  OCIServer* server;
  OCISession* session;
  ub2 text[128];
  ub4 bytes;
  OCIEnvNlsCreate(&env, OCI_THREADED, NULL, NULL, NULL, NULL, 0, NULL, OCI_UTF16ID, OCI_UTF16ID);
  OCIHandleAlloc(env, (void**)&err, OCI_HTYPE_ERROR, 0, NULL);
  OCIHandleAlloc(env, (void**)&server, OCI_HTYPE_SERVER, 0, NULL);
  OCIHandleAlloc(env, (void**)&svc, OCI_HTYPE_SVCCTX, 0, NULL);
  OCIHandleAlloc(env, (void**)&session, OCI_HTYPE_SESSION, 0, NULL);
  bytes = widen(address, text);
  if (check(OCIServerAttach(server, err, (OraText*)text, (sb4)bytes, OCI_DEFAULT), "attach")) return 1;
  OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err);
  bytes = widen(user, text);
  OCIAttrSet(session, OCI_HTYPE_SESSION, text, bytes, OCI_ATTR_USERNAME, err);
  bytes = widen(password, text);
  OCIAttrSet(session, OCI_HTYPE_SESSION, text, bytes, OCI_ATTR_PASSWORD, err);
  if (check(OCISessionBegin(svc, err, session, OCI_CRED_RDBMS, OCI_DEFAULT), "session")) return 1;
  OCIAttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err);
  return 0;
}

int main(int argc, char** argv) {
  /* "Grüße, мир, 世界" with a character outside the BMP (U+1F600). */
  static const ub2 written[] = {'G', 'r', 0xFC, 0xDF, 'e', ',', ' ', 0x43C, 0x438, 0x440, ',', ' ',
                                0x4E16, 0x754C, ' ', 0xD83D, 0xDE00, 0};
  ub2 read_back[64];
  ub2 sql[256];
  char narrow[20];
  OCIStmt* stmt;
  OCIBind* bind = NULL;
  OCIDefine* define = NULL;
  OCILobLocator* lob;
  ub4 amount, length = 0;
  sb2 indicator = 0;
  size_t i;

  if (connect_to(argc > 1 ? argv[1] : "//localhost:1521/XE", "scott", "tiger")) return 1;
  OCIHandleAlloc(env, (void**)&stmt, OCI_HTYPE_STMT, 0, NULL);
  run(stmt, "DROP TABLE \"DOCS\"", 1, OCI_DEFAULT); /* may not exist yet */
  if (run(stmt, "CREATE TABLE \"DOCS\" (\"ID\" NUMBER(10), \"BODY\" CLOB)", 1, OCI_DEFAULT)) return 1;

  widen("INSERT INTO \"DOCS\" (\"ID\", \"BODY\") VALUES (1, EMPTY_CLOB()) RETURNING ROWID INTO :1", sql);
  if (check(OCIStmtPrepare(stmt, err, (OraText*)sql, (ub4)(u16len(sql) * 2), OCI_NTV_SYNTAX, OCI_DEFAULT), "prepare insert")) return 1;
  widen(":1", read_back);
  if (check(OCIBindByName(stmt, &bind, err, (OraText*)read_back, 4, NULL, sizeof rowid_text, SQLT_STR, NULL,
                          NULL, NULL, 0, NULL, OCI_DATA_AT_EXEC), "bind")) return 1;
  if (check(OCIBindDynamic(bind, err, NULL, no_data, NULL, take_rowid), "bind dynamic")) return 1;
  if (check(OCIStmtExecute(svc, stmt, err, 1, 0, NULL, NULL, OCI_COMMIT_ON_SUCCESS), "insert")) return 1;
  rowid_text[rowid_length / 2] = 0;
  if (rowid_length != 36) {
    fprintf(stderr, "ROWID of %u bytes\n", (unsigned)rowid_length);
    return 1;
  }

  for (i = 0; i < 18; ++i) narrow[i] = (char)rowid_text[i];
  narrow[18] = 0;
  {
    char select[200];
    snprintf(select, sizeof select, "SELECT \"BODY\" FROM \"DOCS\" WHERE ROWID='%s' FOR UPDATE", narrow);
    widen(select, sql);
  }
  OCIDescriptorAlloc(env, (void**)&lob, OCI_DTYPE_LOB, 0, NULL);
  if (check(OCIStmtPrepare(stmt, err, (OraText*)sql, (ub4)(u16len(sql) * 2), OCI_NTV_SYNTAX, OCI_DEFAULT), "prepare select")) return 1;
  if (check(OCIDefineByPos(stmt, &define, err, 1, &lob, -1, SQLT_CLOB, &indicator, NULL, NULL, OCI_DEFAULT), "define")) return 1;
  if (check(OCIStmtExecute(svc, stmt, err, 1, 0, NULL, NULL, OCI_DEFAULT), "select for update")) return 1;

  amount = (ub4)u16len(written); /* characters: csid 0 is the environment's UTF-16 */
  if (check(OCILobWrite(svc, err, lob, &amount, 1, (void*)written, (ub4)(u16len(written) * 2), OCI_ONE_PIECE,
                        NULL, NULL, 0, SQLCS_IMPLICIT), "write")) return 1;
  if (check(OCITransCommit(svc, err, OCI_DEFAULT), "commit")) return 1;
  if (check(OCILobGetLength(svc, err, lob, &length), "length")) return 1;

  amount = 0;
  memset(read_back, 0, sizeof read_back);
  if (check(OCILobRead(svc, err, lob, &amount, 1, read_back, sizeof read_back, NULL, NULL, OCI_UTF16ID,
                       SQLCS_IMPLICIT), "read")) return 1;
  if (length != u16len(written) || amount != length || memcmp(read_back, written, sizeof written) != 0) {
    fprintf(stderr, "read back %u of %u characters, different text\n", (unsigned)amount, (unsigned)length);
    return 1;
  }
  OCIDescriptorFree(lob, OCI_DTYPE_LOB);
  OCIHandleFree(env, OCI_HTYPE_ENV);
  printf("ROWID %s: CLOB of %u characters read back unchanged\n", narrow, (unsigned)length);
  return 0;
}
