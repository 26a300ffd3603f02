#include <cstring>

#include "oci_test_session.hpp"

namespace ociemu_test {

class lob_test : public emu_home_fixture {
 protected:
  void SetUp() override {
    emu_home_fixture::SetUp();
    s_ = std::make_unique<oci_session>();
    s_->exec("create table docs (id number, c clob, nc nclob, b blob)");
    s_->exec("insert into docs values (1, EMPTY_CLOB(), EMPTY_CLOB(), EMPTY_BLOB())");
    s_->commit();
    for (auto*& l : lobs_) OCIDescriptorAlloc(s_->env(), reinterpret_cast<void**>(&l), OCI_DTYPE_LOB, 0, nullptr);
  }
  void TearDown() override {
    for (auto* l : lobs_) OCIDescriptorFree(l, OCI_DTYPE_LOB);
    s_.reset();
    emu_home_fixture::TearDown();
  }
  sword select(const std::string& suffix) {
    OCIStmt* stmt = s_->prepare("select c, nc, b from docs where id = 1" + suffix);
    const ub2 types[] = {SQLT_CLOB, SQLT_CLOB, SQLT_BLOB};
    for (ub4 i = 0; i < 3; ++i) {
      OCIDefine* d = nullptr;
      OCIDefineByPos(stmt, &d, s_->err(), i + 1, &lobs_[i], -1, types[i], nullptr, nullptr, nullptr, OCI_DEFAULT);
    }
    const oci_result r = s_->check(OCIStmtExecute(s_->svc(), stmt, s_->err(), 1, 0, nullptr, nullptr, OCI_DEFAULT));
    if (r.status != OCI_SUCCESS) ADD_FAILURE() << r.message;
    return r.status;
  }
  oci_result write_text(OCILobLocator* lob, const std::u16string& text, ub4 offset = 1, ub2 csid = 0) {
    ub4 amount = static_cast<ub4>(text.size());
    return s_->check(OCILobWrite(s_->svc(), s_->err(), lob, &amount, offset, const_cast<char16_t*>(text.data()),
                                 static_cast<ub4>(text.size() * 2), OCI_ONE_PIECE, nullptr, nullptr, csid,
                                 SQLCS_IMPLICIT));
  }
  std::u16string read_text(OCILobLocator* lob) {
    char16_t buffer[256] = {0};
    ub4 amount = 0;
    OCILobRead(s_->svc(), s_->err(), lob, &amount, 1, buffer, sizeof buffer, nullptr, nullptr, OCI_UTF16ID, SQLCS_IMPLICIT);
    return std::u16string(buffer, amount);
  }
  std::unique_ptr<oci_session> s_;
  OCILobLocator* lobs_[3] = {nullptr, nullptr, nullptr};
};

TEST_F(lob_test, WritesNeedTheRowLockedInTheSameTransaction) {
  ASSERT_EQ(select(""), OCI_SUCCESS);
  EXPECT_EQ(write_text(lobs_[0], u"x").message, "ORA-22920: row containing the LOB value is not locked");
  ASSERT_EQ(select(" FOR UPDATE"), OCI_SUCCESS);
  EXPECT_EQ(write_text(lobs_[0], u"x").status, OCI_SUCCESS);
  s_->commit();
  EXPECT_EQ(write_text(lobs_[0], u"y").error, 22990);
  OCILobLocator* fresh = nullptr;
  OCIDescriptorAlloc(s_->env(), reinterpret_cast<void**>(&fresh), OCI_DTYPE_LOB, 0, nullptr);
  ub4 length = 0;
  EXPECT_EQ(s_->check(OCILobGetLength(s_->svc(), s_->err(), fresh, &length)).error, 22275);
  OCIDescriptorFree(fresh, OCI_DTYPE_LOB);
}

TEST_F(lob_test, CharacterLobsCountCharactersAndKeepTheRealText) {
  ASSERT_EQ(select(" FOR UPDATE"), OCI_SUCCESS);
  const std::u16string text = u"Привет, 世界 \U0001F600";
  ASSERT_EQ(write_text(lobs_[0], text).status, OCI_SUCCESS);
  ASSERT_EQ(write_text(lobs_[1], text).status, OCI_SUCCESS);
  ub4 length = 0;
  OCILobGetLength(s_->svc(), s_->err(), lobs_[0], &length);
  EXPECT_EQ(length, text.size());
  EXPECT_EQ(read_text(lobs_[0]), text);
  EXPECT_EQ(read_text(lobs_[1]), text);
  s_->commit();
  // Another client sees the same characters, also through plain SQL.
  oci_session other;
  EXPECT_EQ(other.scalar("select c from docs"), n(text));
  ub1 forms[3] = {9, 9, 9};
  for (int i = 0; i < 3; ++i) OCILobCharSetForm(s_->env(), s_->err(), lobs_[i], &forms[i]);
  EXPECT_EQ((std::vector<int>{forms[0], forms[1], forms[2]}), (std::vector<int>{1, 2, 0}));
}

TEST_F(lob_test, OffsetsOverwriteAndPadAndUtf8AmountsAreBytes) {
  ASSERT_EQ(select(" FOR UPDATE"), OCI_SUCCESS);
  ASSERT_EQ(write_text(lobs_[0], u"abcdef").status, OCI_SUCCESS);
  ASSERT_EQ(write_text(lobs_[0], u"XY", 3).status, OCI_SUCCESS);
  EXPECT_EQ(read_text(lobs_[0]), u"abXYef");
  ASSERT_EQ(write_text(lobs_[0], u"Z", 9).status, OCI_SUCCESS);
  EXPECT_EQ(read_text(lobs_[0]), u"abXYef  Z");
  const std::string utf8 = "\xC3\xA9t\xC3\xA9";  // "été", 5 bytes
  ub4 amount = static_cast<ub4>(utf8.size());
  ASSERT_EQ(OCILobWrite(s_->svc(), s_->err(), lobs_[1], &amount, 1, const_cast<char*>(utf8.data()),
                        static_cast<ub4>(utf8.size()), OCI_ONE_PIECE, nullptr, nullptr, 873, SQLCS_NCHAR),
            OCI_SUCCESS);
  EXPECT_EQ(amount, 3u);  // characters written
  EXPECT_EQ(read_text(lobs_[1]), u"été");
  // Reading past the end delivers nothing.
  char16_t buffer[4];
  amount = 0;
  EXPECT_EQ(OCILobRead(s_->svc(), s_->err(), lobs_[1], &amount, 10, buffer, sizeof buffer, nullptr, nullptr, 0,
                       SQLCS_NCHAR),
            OCI_NO_DATA);
  EXPECT_EQ(amount, 0u);
}

TEST_F(lob_test, PollingReadDeliversPiecesUntilTheEnd) {
  ASSERT_EQ(select(" FOR UPDATE"), OCI_SUCCESS);
  ASSERT_EQ(write_text(lobs_[0], u"0123456789").status, OCI_SUCCESS);
  char16_t buffer[4];
  std::u16string all;
  ub4 amount = 0;
  sword status = OCI_NEED_DATA;
  int calls = 0;
  while (status == OCI_NEED_DATA && calls++ < 10) {
    status = OCILobRead(s_->svc(), s_->err(), lobs_[0], &amount, 1, buffer, sizeof buffer, nullptr, nullptr,
                        OCI_UTF16ID, SQLCS_IMPLICIT);
    all.append(buffer, amount);
  }
  EXPECT_EQ(status, OCI_SUCCESS);
  EXPECT_EQ(all, u"0123456789");
  EXPECT_EQ(calls, 3);
}

TEST_F(lob_test, PiecewiseWriteAppendsUntilTheLastPiece) {
  ASSERT_EQ(select(" FOR UPDATE"), OCI_SUCCESS);
  const std::u16string pieces[] = {u"one ", u"two ", u"three"};
  const ub1 kinds[] = {OCI_FIRST_PIECE, OCI_NEXT_PIECE, OCI_LAST_PIECE};
  const sword expected[] = {OCI_NEED_DATA, OCI_NEED_DATA, OCI_SUCCESS};
  for (int i = 0; i < 3; ++i) {
    ub4 amount = 0;
    EXPECT_EQ(OCILobWrite(s_->svc(), s_->err(), lobs_[0], &amount, 1, const_cast<char16_t*>(pieces[i].data()),
                          static_cast<ub4>(pieces[i].size() * 2), kinds[i], nullptr, nullptr, 0, SQLCS_IMPLICIT),
              expected[i]);
  }
  EXPECT_EQ(read_text(lobs_[0]), u"one two three");
}

TEST_F(lob_test, BlobsCountBytes) {
  ASSERT_EQ(select(" FOR UPDATE"), OCI_SUCCESS);
  const unsigned char data[] = {0, 1, 2, 0xFF, 0};
  ub4 amount = sizeof data;
  ASSERT_EQ(OCILobWrite(s_->svc(), s_->err(), lobs_[2], &amount, 1, const_cast<unsigned char*>(data), sizeof data,
                        OCI_ONE_PIECE, nullptr, nullptr, 0, SQLCS_IMPLICIT),
            OCI_SUCCESS);
  ub4 length = 0;
  OCILobGetLength(s_->svc(), s_->err(), lobs_[2], &length);
  EXPECT_EQ(length, sizeof data);
  unsigned char back[8] = {9};
  amount = 0;
  ASSERT_EQ(OCILobRead(s_->svc(), s_->err(), lobs_[2], &amount, 1, back, sizeof back, nullptr, nullptr, 0,
                       SQLCS_IMPLICIT),
            OCI_SUCCESS);
  EXPECT_EQ(amount, sizeof data);
  EXPECT_EQ(std::memcmp(back, data, sizeof data), 0);
  EXPECT_EQ(s_->scalar("select b from docs"), "000102FF00");
}

TEST_F(lob_test, LocatorReturnedByInsertIsWritableInItsTransaction) {
  OCIStmt* stmt = s_->prepare("insert into docs (id, c) values (2, EMPTY_CLOB()) returning c into :loc");
  OCIBind* bind = nullptr;
  ASSERT_EQ(OCIBindByPos(stmt, &bind, s_->err(), 1, &lobs_[0], sizeof lobs_[0], SQLT_CLOB, nullptr, nullptr, nullptr,
                         0, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(OCIStmtExecute(s_->svc(), stmt, s_->err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  ASSERT_EQ(write_text(lobs_[0], u"returned").status, OCI_SUCCESS);
  s_->commit();
  EXPECT_EQ(oci_session().scalar("select c from docs where id = 2"), "returned");
}

}  // namespace ociemu_test
