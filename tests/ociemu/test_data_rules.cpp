#include "oci_test_session.hpp"

namespace ociemu_test {

class data_rules_test : public emu_home_fixture {
 protected:
  void SetUp() override {
    emu_home_fixture::SetUp();
    s_ = std::make_unique<oci_session>();
    ASSERT_EQ(s_->exec("CREATE TABLE \"T\" (\"ID\" NUMBER(5) CONSTRAINT \"PK_T\" PRIMARY KEY, "
                       "\"NAME\" NVARCHAR2(5) NOT NULL, \"CODE\" VARCHAR2(3 CHAR), \"PRICE\" NUMBER(6,2), "
                       "\"QTY\" NUMBER, \"F\" CHAR(3), \"D\" DATE, \"R\" RAW(4))")
                  .status,
              OCI_SUCCESS);
  }
  std::string insert(const std::string& values) {
    return s_->exec("insert into t (id, name, code, price, qty, f, d, r) values (" + values + ")").message;
  }
  std::unique_ptr<oci_session> s_;
};

TEST_F(data_rules_test, NotNullAndUniqueKeys) {
  EXPECT_EQ(insert("1, NULL, NULL, NULL, NULL, NULL, NULL, NULL"),
            "ORA-01400: cannot insert NULL into (\"SCOTT\".\"T\".\"NAME\")");
  EXPECT_EQ(insert("1, '', NULL, NULL, NULL, NULL, NULL, NULL"),
            "ORA-01400: cannot insert NULL into (\"SCOTT\".\"T\".\"NAME\")");  // '' is NULL
  EXPECT_EQ(insert("1, 'a', NULL, NULL, NULL, NULL, NULL, NULL"), "");
  EXPECT_EQ(insert("1, 'b', NULL, NULL, NULL, NULL, NULL, NULL"), "ORA-00001: unique constraint (SCOTT.PK_T) violated");
  EXPECT_EQ(s_->exec("insert into t (name) values ('x')").error, 1400);  // the key is NOT NULL
}

TEST_F(data_rules_test, LengthsCountCharacters) {
  EXPECT_EQ(insert("1, 'abcdef', NULL, NULL, NULL, NULL, NULL, NULL"),
            "ORA-12899: value too large for column \"SCOTT\".\"T\".\"NAME\" (actual: 6, maximum: 5)");
  EXPECT_EQ(insert("1, '\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96', '\xE4\xB8\x96\xE4\xB8\x96\xE4\xB8\x96', NULL, NULL, NULL, NULL, NULL"), "");
  EXPECT_EQ(insert("2, 'a', 'abcd', NULL, NULL, NULL, NULL, NULL"),
            "ORA-12899: value too large for column \"SCOTT\".\"T\".\"CODE\" (actual: 4, maximum: 3)");
  EXPECT_EQ(insert("3, 'a', NULL, NULL, NULL, 'x', NULL, NULL"), "");
  EXPECT_EQ(s_->scalar("select f || '|' from t where id = 3"), "x  |");  // CHAR is blank-padded
  EXPECT_EQ(s_->scalar("select code from t where id = 1"), "\xE4\xB8\x96\xE4\xB8\x96\xE4\xB8\x96");
}

TEST_F(data_rules_test, NumbersRoundToScaleAndCheckPrecision) {
  EXPECT_EQ(insert("1, 'a', NULL, 1234.565, 0.5, NULL, NULL, NULL"), "");
  EXPECT_EQ(s_->rows("select price, qty from t"), (std::vector<std::vector<std::string>>{{"1234.57", ".5"}}));
  EXPECT_EQ(insert("2, 'a', NULL, 9999.995, NULL, NULL, NULL, NULL"),
            "ORA-01438: value larger than specified precision allowed for this column");
  EXPECT_EQ(insert("123456, 'a', NULL, NULL, NULL, NULL, NULL, NULL"),
            "ORA-01438: value larger than specified precision allowed for this column");
  EXPECT_EQ(insert("3, 'a', NULL, '12.3', ' -7.50 ', NULL, NULL, NULL"), "");  // text converts
  EXPECT_EQ(s_->rows("select price, qty from t where id = 3"), (std::vector<std::vector<std::string>>{{"12.3", "-7.5"}}));
  EXPECT_EQ(insert("4, 'a', NULL, 'twelve', NULL, NULL, NULL, NULL"), "ORA-01722: invalid number");
  EXPECT_EQ(insert("5, 'a', NULL, NULL, 12345678901234567890.123456789, NULL, NULL, NULL"), "");
  EXPECT_EQ(s_->scalar("select qty from t where id = 5"), "12345678901234567890.123456789");
  EXPECT_EQ(insert("6, 'a', NULL, -0.001, -1e3, NULL, NULL, NULL"), "");
  EXPECT_EQ(s_->rows("select price, qty from t where id = 6"), (std::vector<std::vector<std::string>>{{"0", "-1000"}}));
}

TEST_F(data_rules_test, DatesFollowTheirFormat) {
  EXPECT_EQ(insert("1, 'a', NULL, NULL, NULL, NULL, to_date('2021-03-04 05:06:07', 'YYYY-MM-DD HH24:MI:SS'), NULL"), "");
  EXPECT_EQ(s_->scalar("select d from t"), "04-MAR-21");
  EXPECT_EQ(insert("2, 'a', NULL, NULL, NULL, NULL, to_date('2021-13-01', 'YYYY-MM-DD'), NULL"),
            "ORA-01843: not a valid month");
  EXPECT_EQ(insert("3, 'a', NULL, NULL, NULL, NULL, to_date('2021-02-30', 'YYYY-MM-DD'), NULL"),
            "ORA-01847: day of month must be between 1 and last day of month");
  EXPECT_EQ(insert("4, 'a', NULL, NULL, NULL, NULL, to_date('2021-02-03 10', 'YYYY-MM-DD'), NULL"),
            "ORA-01830: date format picture ends before converting entire input string");
  EXPECT_EQ(insert("5, 'a', NULL, NULL, NULL, NULL, to_date('2021x02-03', 'YYYY-MM-DD'), NULL"),
            "ORA-01861: literal does not match format string");
  EXPECT_EQ(insert("6, 'a', NULL, NULL, NULL, NULL, to_date('25-61-00', 'HH24-MI-SS'), NULL"),
            "ORA-01850: hour must be between 0 and 23");
  EXPECT_EQ(insert("7, 'a', NULL, NULL, NULL, NULL, to_date('10-20-30', 'HH24-MI-SS'), NULL"), "");
  EXPECT_EQ(s_->scalar("select d from t where id = 7").substr(0, 3), "01-");  // first of the month
}

TEST_F(data_rules_test, RawTakesHexadecimalText) {
  EXPECT_EQ(insert("1, 'a', NULL, NULL, NULL, NULL, NULL, 'DEADBEEF'"), "");
  EXPECT_EQ(insert("2, 'a', NULL, NULL, NULL, NULL, NULL, HEXTORAW('0a0b')"), "");
  EXPECT_EQ(s_->rows("select r from t order by id"), (std::vector<std::vector<std::string>>{{"DEADBEEF"}, {"0A0B"}}));
  EXPECT_EQ(insert("3, 'a', NULL, NULL, NULL, NULL, NULL, 'XYZ'"), "ORA-01465: invalid hex number");
  EXPECT_EQ(insert("4, 'a', NULL, NULL, NULL, NULL, NULL, '0102030405'"),
            "ORA-12899: value too large for column \"SCOTT\".\"T\".\"R\" (actual: 5, maximum: 4)");
}

TEST_F(data_rules_test, InsertChecksItsColumnList) {
  EXPECT_EQ(s_->exec("insert into t (id, nope) values (1, 2)").message, "ORA-00904: \"NOPE\": invalid identifier");
  EXPECT_EQ(s_->exec("insert into t (id, name) values (1)").error, 947);
  EXPECT_EQ(s_->exec("insert into t (id) values (1, 'a')").error, 913);
  EXPECT_EQ(s_->exec("insert into missing values (1)").error, 942);
  EXPECT_EQ(s_->exec("insert into t (id, name) values (1, 'a'").error, 907);
  EXPECT_EQ(s_->exec("insert into t (id, name) values (1, 'a)").error, 1756);
}

TEST_F(data_rules_test, DefaultsApplyWhenAColumnIsLeftOut) {
  ASSERT_EQ(s_->exec("create table dflt (id number, state char(1) default 'N' not null, made date default sysdate, "
                     "n number default NULL )")
                .status,
            OCI_SUCCESS);
  EXPECT_EQ(s_->exec("insert into dflt (id) values (1)").status, OCI_SUCCESS);
  EXPECT_EQ(s_->rows("select state, n from dflt"), (std::vector<std::vector<std::string>>{{"N", "<null>"}}));
  EXPECT_NE(s_->scalar("select made from dflt"), "<null>");
  EXPECT_EQ(s_->rows("select column_name, data_default from user_tab_columns where table_name = 'DFLT' "
                     "order by column_id"),
            (std::vector<std::vector<std::string>>{{"ID", "<null>"}, {"STATE", "'N' "}, {"MADE", "sysdate"},
                                                   {"N", "NULL "}}));
}

}  // namespace ociemu_test
