// The field properties of dBASE 7 tables through whole runs of the agent:
// defaults become column defaults, required fields NOT NULL where the rows
// allow it; what Oracle gets no part of is a warning of its table.
#include <gtest/gtest.h>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

using prop = dbf_field_property;

const std::string columns_query =
    "SELECT TABLE_NAME, COLUMN_NAME, NULLABLE, DATA_DEFAULT FROM USER_TAB_COLUMNS ORDER BY TABLE_NAME, COLUMN_ID";

bool has(const e2e_result& run, const std::string& text) { return run.out.find(text) != std::string::npos; }

// STAFF: ID, NAME, CITY, HIRED, ACTIVE, SALARY; the second row has no city.
dbf_writer staff() {
  dbf_writer table(0x04);
  table.field(u"ID", 'N', 5)
      .field(u"NAME", 'C', 10)
      .field(u"CITY", 'C', 8)
      .field(u"HIRED", 'D')
      .field(u"ACTIVE", 'L')
      .field(u"SALARY", 'N', 8, 2);
  table.record({dbf_cell::integer(1), dbf_cell::text(u"Ann"), dbf_cell::text(u"Rome"), dbf_cell::date(2020, 5, 6),
                dbf_cell::boolean(true), dbf_cell::number(100)});
  table.record({dbf_cell::integer(2), dbf_cell::text(u"Bob"), dbf_cell::text(u""), dbf_cell::date(2021, 7, 8),
                dbf_cell::boolean(false), dbf_cell::number(200)});
  return table;
}

}  // namespace

TEST(E2eDbase7, FieldPropertiesBecomeDefaultsAndNotNull) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table = staff();
  table.field_property({2, prop::required})
      .field_property({3, prop::required})  // Bob has no city: stays nullable
      .field_property({3, prop::default_value, "Rome    ", 1})
      .field_property({3, prop::default_value, "Oslo    ", 2})  // the later generation counts
      .field_property({4, prop::default_value, "20240115"})
      .field_property({5, prop::default_value, "T"})
      .field_property({6, prop::default_value, "   12.50"})
      .field_property({1, prop::default_value, "     "})  // blank: no default
      .field_property({6, prop::minimum, "    0.00"})
      .field_property({6, prop::maximum, " 9999.99"})
      .field_property({0, prop::constraint, "SALARY >= 0"});
  table.write(folder, "STAFF.DBF");

  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.count("STAFF"), "2");
  EXPECT_EQ(session.sql(columns_query),
            "TABLE_NAME\tCOLUMN_NAME\tNULLABLE\tDATA_DEFAULT\n"
            "STAFF\tID\tY\t\n"
            "STAFF\tNAME\tN\t\n"
            "STAFF\tCITY\tY\t'Oslo'\n"
            "STAFF\tHIRED\tY\tto_date('2024-01-15', 'YYYY-MM-DD')\n"
            "STAFF\tACTIVE\tY\t'T'\n"  // as the column keeps its logical values (it was 1)
            "STAFF\tSALARY\tY\t12.5\n");
  // A row that takes the defaults holds them as the converted rows hold theirs.
  session.sql("INSERT INTO STAFF (ID, NAME) VALUES (9, 'New')");
  EXPECT_EQ(session.sql("SELECT ACTIVE, SALARY FROM STAFF WHERE ID = 9"), "ACTIVE\tSALARY\nT\t12.5\n");
  EXPECT_TRUE(has(run, "staff: field CITY is required in the table, but the column stays nullable: ORA-02296"))
      << run.out;
  EXPECT_TRUE(has(run, "staff: field SALARY has the minimum 0 in its field properties: Oracle gets no check "
                       "constraint for it"))
      << run.out;
  EXPECT_TRUE(has(run, "staff: field SALARY has the maximum 9999.99 in its field properties")) << run.out;
  EXPECT_TRUE(has(run, "staff: its table constraint SALARY >= 0 is not carried over: Oracle gets no check "
                       "constraint for it"))
      << run.out;
}

// A logical default is stored as the column stores its values: a letter
// where logicals stay letters, 1 or 0 where they become numbers; on either
// insert path the rows and the default agree.
TEST(E2eDbase7, LogicalDefaultsFollowHowTheColumnKeepsLogicals) {
  struct expectation {
    std::vector<std::string> options;
    std::string default_text, values;
  };
  const expectation cases[] = {
      {{"--batch=2"}, "'T'", "ACTIVE\nT\nF\nT\n"},
      {{"--rowbyrow"}, "'T'", "ACTIVE\nT\nF\nT\n"},
      {{"--batch=2", "--log2int"}, "1", "ACTIVE\n1\n0\n1\n"},
      {{"--rowbyrow", "--log2int"}, "1", "ACTIVE\n1\n0\n1\n"},
  };
  for (const expectation& c : cases) {
    SCOPED_TRACE(c.options.back());
    e2e_session session;
    const std::filesystem::path folder = session.folder("dbf");
    staff().field_property({5, prop::default_value, "T"}).write(folder, "STAFF.DBF");
    const e2e_result run = session.convert(folder, c.options);
    EXPECT_EQ(run.status, 0) << run.describe();
    EXPECT_EQ(session.sql("SELECT DATA_DEFAULT FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'STAFF' AND "
                          "COLUMN_NAME = 'ACTIVE'"),
              "DATA_DEFAULT\n" + c.default_text + "\n");
    session.sql("INSERT INTO STAFF (ID, NAME) VALUES (9, 'New')");
    EXPECT_EQ(session.sql("SELECT ACTIVE FROM STAFF ORDER BY ID"), c.values);
  }
}

// A damaged properties block costs the properties, never the table.
TEST(E2eDbase7, DamagedFieldPropertiesAreAWarningOfTheirTable) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table = staff();
  table.field_property({2, prop::required}).field_property({3, prop::default_value, "Oslo    "});
  // The block starts after the 68-byte header, six 48-byte descriptors and
  // the terminator; its head claims 200 descriptors.
  table.patch(68 + 6 * 48 + 1, std::string(1, '\xC8'));
  table.write(folder, "STAFF.DBF");

  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.count("STAFF"), "2");
  EXPECT_TRUE(has(run, "staff: the field properties after its field descriptors are damaged (its 200 property "
                       "descriptors lie past the end of the header): no default or required field of them is "
                       "carried over"))
      << run.out;
  EXPECT_EQ(session.sql("SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE NULLABLE = 'N' OR DATA_DEFAULT IS NOT NULL"),
            "COUNT(*)\n0\n");
}
