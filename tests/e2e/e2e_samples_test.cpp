// The sample folder converted whole: every value of every table arrives as
// the DBF holds it, and a few values checked against what the generator wrote
// catch a reader that decodes wrongly on both sides of the comparison.
#include <gtest/gtest.h>

#include "e2e_expected_table.hpp"
#include "e2e_session.hpp"

namespace {

const std::u16string sample_tables[] = {u"customer", u"employee", u"orders", u"ordlines", u"products", u"supplier"};

void expect_same_values(const e2e_session& session, const std::filesystem::path& folder,
                        const e2e_expectation_options& options) {
  for (const std::u16string& name : sample_tables) {
    const e2e_expected_table expected(folder, name, options);
    EXPECT_EQ(expected.difference(session.sql(expected.query())), "");
  }
}

TEST(E2eSamples, EveryValueOfEveryTableArrivesAsTheDbfHoldsIt) {
  e2e_session session;
  const e2e_result run = session.convert(e2e_paths::samples());
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(e2e_untimed(run.out), "Converting database " + e2e_paths::samples().string() +
                         "(6 tables)\n"
                         "Converting table customer(11 records)\n"
                         "Converting table employee(4 records)\n"
                         "Converting table orders(14 records)\n"
                         "Converting table ordlines(36 records)\n"
                         "Converting table products(10 records)\n"
                         "Converting table supplier(5 records)\n"
                         "Summary:\n"
                         "customer: read 11, inserted 11, failed 0, skipped as deleted 0, warnings 0\n"
                         "employee: read 4, inserted 4, failed 0, skipped as deleted 0, warnings 0\n"
                         "orders: read 14, inserted 14, failed 0, skipped as deleted 0, warnings 0\n"
                         "ordlines: read 36, inserted 36, failed 0, skipped as deleted 0, warnings 0\n"
                         "products: read 10, inserted 10, failed 0, skipped as deleted 0, warnings 0\n"
                         "supplier: read 5, inserted 5, failed 0, skipped as deleted 0, warnings 0\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(session.tables(), "CUSTOMER\nEMPLOYEE\nORDERS\nORDLINES\nPRODUCTS\nSUPPLIER\n");
  expect_same_values(session, e2e_paths::samples(), {});
}

TEST(E2eSamples, ValuesMatchWhatTheGeneratorWrote) {
  e2e_session session;
  ASSERT_EQ(session.convert(e2e_paths::samples()).status, 0);
  // Windows-1252 text, a deleted record kept, currency and a logical field.
  EXPECT_EQ(session.sql("SELECT CUST_ID, COMPANY, CONTACT, CREDIT, ACTIVE FROM CUSTOMER WHERE CUST_ID IN (1001, 1007) "
                        "ORDER BY CUST_ID"),
            "CUST_ID\tCOMPANY\tCONTACT\tCREDIT\tACTIVE\n"
            "1001\tCafé Lumière\tAmélie Durand\t15000\tT\n"
            "1007\tKaffeehaus Müller GmbH\tJürgen Müller\t0\tF\n");
  // DOS Russian (866) text and memo.
  EXPECT_EQ(session.sql("SELECT NAME, CITY, TERMS FROM SUPPLIER WHERE SUPP_ID = 2"),
            "NAME\tCITY\tTERMS\n"
            "АО \"Чайная линия\"\tСанкт-Петербург\tПредоплата 50%, остаток при отгрузке. Договор № 17/2016.\n");
  // International MS-DOS (850) text.
  EXPECT_EQ(session.sql("SELECT FIRST, LAST, SALARY FROM EMPLOYEE WHERE EMP_ID = 2"),
            "FIRST\tLAST\tSALARY\nJosé\tNúñez\t3850.5\n");
  // A date and time to the second, a blank date, a currency value.
  EXPECT_EQ(session.sql("SELECT SUBSTR(PLACED, 1, 19) P, SHIPPED, FREIGHT, TOTAL FROM ORDERS WHERE ORDER_ID = 50014"),
            "P\tSHIPPED\tFREIGHT\tTOTAL\n2024-03-28 23:59:59\t\t15\t381.1\n");
  // The dBASE III memo over 4000 characters, whole.
  EXPECT_EQ(session.sql("SELECT LENGTH(DESCRIPT) L, SUBSTR(DESCRIPT, 1, 39) S FROM PRODUCTS WHERE CODE = 'EM-900'"),
            "L\tS\n4652\tEM-900 SERVICE AND TECHNICAL DATA SHEET\n");
  EXPECT_EQ(session.count("ORDLINES"), "36");
  EXPECT_EQ(session.sql("SELECT COLUMN_NAME, DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'ORDERS' ORDER BY "
                        "COLUMN_ID"),
            "COLUMN_NAME\tDATA_TYPE\nORDER_ID\tNUMBER\nCUST_ID\tNUMBER\nEMP_ID\tNUMBER\nPLACED\tTIMESTAMP(3)\n"
            "SHIPPED\tDATE\nSTATUS\tNVARCHAR2\nFREIGHT\tNUMBER\nTOTAL\tNUMBER\nPAID\tCHAR\nREMARKS\tCLOB\n");
}

TEST(E2eSamples, NumbersAreComparedInOraclesForm) {
  EXPECT_EQ(e2e_expected_table::oracle_number("0.50"), ".5");
  EXPECT_EQ(e2e_expected_table::oracle_number("-0.25"), "-.25");
  EXPECT_EQ(e2e_expected_table::oracle_number("0012.3400"), "12.34");
  EXPECT_EQ(e2e_expected_table::oracle_number("120"), "120");
  EXPECT_EQ(e2e_expected_table::oracle_number("0.000"), "0");
  EXPECT_EQ(e2e_expected_table::oracle_number("+7"), "7");
}

}  // namespace
