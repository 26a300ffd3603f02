#include <cstring>

#include "oci_test_session.hpp"

namespace ociemu_test {

class array_dml_test : public emu_home_fixture {
 protected:
  void SetUp() override {
    emu_home_fixture::SetUp();
    s_ = std::make_unique<oci_session>();
    s_->exec("create table t (id number(3) primary key, name varchar2(5) not null)");
    stmt_ = s_->prepare("insert into t (id, name) values (:id, :name)");
    OCIBind* b = nullptr;
    const std::u16string id = u":ID", name = u":NAME";
    OCIBindByName(stmt_, &b, s_->err(), reinterpret_cast<const OraText*>(id.data()), 6, ids_, sizeof(int), SQLT_INT,
                  nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    OCIBindByName(stmt_, &b, s_->err(), reinterpret_cast<const OraText*>(name.data()), 10, names_, sizeof names_[0],
                  SQLT_CHR, indicators_, lengths_, nullptr, 0, nullptr, OCI_DEFAULT);
  }
  void row(int i, int id, const std::u16string& name) {
    ids_[i] = id;
    std::memcpy(names_[i], name.data(), name.size() * 2);
    lengths_[i] = static_cast<ub2>(name.size() * 2);
    indicators_[i] = name.empty() ? -1 : 0;
  }
  std::unique_ptr<oci_session> s_;
  OCIStmt* stmt_ = nullptr;
  int ids_[5] = {0};
  char16_t names_[5][8] = {};
  ub2 lengths_[5] = {0};
  sb2 indicators_[5] = {0};
};

TEST_F(array_dml_test, BatchErrorsReportEachFailingRow) {
  row(0, 1, u"a");
  row(1, 2, u"");             // NOT NULL
  row(2, 1, u"c");            // duplicate key
  row(3, 4, u"toolong");      // too long
  row(4, 5, u"e");
  const oci_result r =
      s_->check(OCIStmtExecute(s_->svc(), stmt_, s_->err(), 5, 0, nullptr, nullptr, OCI_BATCH_ERRORS | OCI_COMMIT_ON_SUCCESS));
  EXPECT_EQ(r.status, OCI_SUCCESS_WITH_INFO);
  EXPECT_EQ(r.message, "ORA-24381: error(s) in array DML");
  ub4 errors = 0, rows = 0;
  OCIAttrGet(stmt_, OCI_HTYPE_STMT, &errors, nullptr, OCI_ATTR_NUM_DML_ERRORS, s_->err());
  OCIAttrGet(stmt_, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, s_->err());
  EXPECT_EQ(errors, 3u);
  EXPECT_EQ(rows, 2u);
  OCIError* row_error = nullptr;
  OCIHandleAlloc(s_->env(), reinterpret_cast<void**>(&row_error), OCI_HTYPE_ERROR, 0, nullptr);
  std::vector<std::pair<ub4, int>> seen;
  for (ub4 i = 0; i < errors; ++i) {
    ASSERT_EQ(OCIParamGet(s_->err(), OCI_HTYPE_ERROR, s_->err(), reinterpret_cast<void**>(&row_error), i), OCI_SUCCESS);
    ub4 offset = 99;
    OCIAttrGet(row_error, OCI_HTYPE_ERROR, &offset, nullptr, OCI_ATTR_DML_ROW_OFFSET, s_->err());
    sb4 code = 0;
    char16_t text[200] = {0};
    OCIErrorGet(row_error, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text, OCI_HTYPE_ERROR);
    seen.emplace_back(offset, code);
  }
  EXPECT_EQ(seen, (std::vector<std::pair<ub4, int>>{{1, 1400}, {2, 1}, {3, 12899}}));
  OCIHandleFree(row_error, OCI_HTYPE_ERROR);
  // Rows failed, so nothing was committed: another session sees none of the good rows yet.
  EXPECT_EQ(oci_session().scalar("select count(*) from t"), "0");
  s_->commit();
  EXPECT_EQ(oci_session().scalar("select count(*) from t"), "2");
}

TEST_F(array_dml_test, WithoutBatchErrorsTheFirstFailureStopsTheArray) {
  row(0, 1, u"a");
  row(1, 2, u"b");
  row(2, 1, u"c");
  row(3, 4, u"d");
  const oci_result r = s_->check(OCIStmtExecute(s_->svc(), stmt_, s_->err(), 4, 0, nullptr, nullptr, OCI_DEFAULT));
  EXPECT_EQ(r.error, 1);
  ub4 rows = 0;
  OCIAttrGet(stmt_, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, s_->err());
  EXPECT_EQ(rows, 2u);
  EXPECT_EQ(s_->scalar("select count(*) from t"), "2");
  // The rest is executed again from its offset.
  EXPECT_EQ(OCIStmtExecute(s_->svc(), stmt_, s_->err(), 4, 3, nullptr, nullptr, OCI_COMMIT_ON_SUCCESS), OCI_SUCCESS);
  EXPECT_EQ(s_->rows("select id from t order by id"), (std::vector<std::vector<std::string>>{{"1"}, {"2"}, {"4"}}));
}

TEST_F(array_dml_test, RowErrorHandlesAreLentWhenNoneIsGiven) {
  row(0, 1, u"a");
  row(1, 1, u"b");
  ASSERT_EQ(OCIStmtExecute(s_->svc(), stmt_, s_->err(), 2, 0, nullptr, nullptr, OCI_BATCH_ERRORS), OCI_SUCCESS_WITH_INFO);
  void* lent = nullptr;
  ASSERT_EQ(OCIParamGet(s_->err(), OCI_HTYPE_ERROR, s_->err(), &lent, 0), OCI_SUCCESS);
  ub4 offset = 0;
  OCIAttrGet(lent, OCI_HTYPE_ERROR, &offset, nullptr, OCI_ATTR_DML_ROW_OFFSET, s_->err());
  EXPECT_EQ(offset, 1u);
  EXPECT_EQ(OCIParamGet(s_->err(), OCI_HTYPE_ERROR, s_->err(), &lent, 1), OCI_NO_DATA);
  EXPECT_EQ(OCIHandleFree(lent, OCI_HTYPE_ERROR), OCI_SUCCESS);  // the error handle keeps it
  // A later execute without failures reports none.
  row(0, 3, u"c");
  ASSERT_EQ(OCIStmtExecute(s_->svc(), stmt_, s_->err(), 1, 0, nullptr, nullptr, OCI_BATCH_ERRORS), OCI_SUCCESS);
  ub4 errors = 9;
  OCIAttrGet(stmt_, OCI_HTYPE_STMT, &errors, nullptr, OCI_ATTR_NUM_DML_ERRORS, s_->err());
  EXPECT_EQ(errors, 0u);
}

TEST_F(array_dml_test, BatchErrorsOnlyForDml) {
  EXPECT_EQ(s_->exec("select * from t", OCI_BATCH_ERRORS).error, 28714);
}

TEST_F(array_dml_test, RoundTripsAreCounted) {
  const ub8 before = ociemu_round_trips();
  row(0, 1, u"a");
  OCIStmtExecute(s_->svc(), stmt_, s_->err(), 1, 0, nullptr, nullptr, OCI_DEFAULT);
  s_->commit();
  EXPECT_EQ(ociemu_round_trips() - before, 2u);
}

}  // namespace ociemu_test
