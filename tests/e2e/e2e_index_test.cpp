// Keys and indexes from the DBF side, through whole runs of the agent: the
// tags of each index format become Oracle indexes and unique keys after the
// rows are in; what cannot be carried over is a warning of its table.
#include <gtest/gtest.h>

#include <fstream>

#include "dbf_container_writer.hpp"
#include "dbf_index_writer.hpp"
#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

using kind = dbf_index_kind;

const std::string index_query =
    "SELECT i.TABLE_NAME, i.INDEX_NAME, i.INDEX_TYPE, i.UNIQUENESS, c.COLUMN_NAME, c.COLUMN_POSITION "
    "FROM USER_INDEXES i, USER_IND_COLUMNS c WHERE c.INDEX_NAME = i.INDEX_NAME ORDER BY 1, 2, 6";
const std::string constraint_query =
    "SELECT k.TABLE_NAME, k.CONSTRAINT_NAME, k.CONSTRAINT_TYPE, c.COLUMN_NAME FROM USER_CONSTRAINTS k, "
    "USER_CONS_COLUMNS c WHERE c.CONSTRAINT_NAME = k.CONSTRAINT_NAME ORDER BY 1, 2, c.POSITION";

// PEOPLE: ID, NAME, CITY, BORN, TOTAL; Ann and ANN share a name but for case,
// and the deleted record repeats CITY Oslo.
dbf_writer people(std::uint8_t version, std::uint8_t flags) {
  dbf_writer table(version);
  table.table_flags(flags)
      .field(u"ID", 'N', 5)
      .field(u"NAME", 'C', 20)
      .field(u"CITY", 'C', 15)
      .field(u"BORN", 'D')
      .field(u"TOTAL", 'N', 8, 2);
  table.record({dbf_cell::integer(1), dbf_cell::text(u"Ann"), dbf_cell::text(u"Oslo"), dbf_cell::date(1980, 1, 2),
                dbf_cell::number(10.5)});
  table.record({dbf_cell::integer(2), dbf_cell::text(u"ANN"), dbf_cell::text(u"Rome"), dbf_cell::date(1981, 3, 4),
                dbf_cell::number(7)});
  table.deleted_record({dbf_cell::integer(3), dbf_cell::text(u"Bob"), dbf_cell::text(u"Oslo"),
                        dbf_cell::date(1982, 5, 6), dbf_cell::number(1)});
  return table;
}

bool has(const e2e_result& run, const std::string& text) { return run.out.find(text) != std::string::npos; }

}  // namespace

TEST(E2eIndexes, CdxTagsBecomeIndexesAndUniqueKeysAfterTheRows) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  people(0x30, 0x01).write(folder, "PEOPLE.DBF");
  dbf_index_writer::write(folder, "PEOPLE.CDX",
                          dbf_index_writer::cdx({{"ID", "id", "", kind::candidate},
                                                 {"NAME", "UPPER(name)"},
                                                 {"CITYNAME", "city+name", "", kind::unique, true, 35},
                                                 {"BORN", "DTOS(born)", "", kind::plain, true},
                                                 {"TOTAL", "STR(total,8,2)"},
                                                 {"CITYOK", "city", "!DELETED()", kind::candidate},
                                                 {"MINE", "MYKEY(name)"},
                                                 {"OSLO", "name", "city = 'Oslo'"},
                                                 {"MIXED", "name+DTOS(born)"}}));
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.count("PEOPLE"), "3");
  EXPECT_EQ(session.sql(index_query),
            "TABLE_NAME\tINDEX_NAME\tINDEX_TYPE\tUNIQUENESS\tCOLUMN_NAME\tCOLUMN_POSITION\n"
            "PEOPLE\tBORN\tFUNCTION-BASED NORMAL\tNONUNIQUE\tSYS_NC00006$\t1\n"
            "PEOPLE\tCITYNAME\tFUNCTION-BASED NORMAL\tNONUNIQUE\tSYS_NC00007$\t1\n"
            "PEOPLE\tCITYNAME\tFUNCTION-BASED NORMAL\tNONUNIQUE\tSYS_NC00008$\t2\n"
            "PEOPLE\tCITYOK\tNORMAL\tNONUNIQUE\tCITY\t1\n"
            "PEOPLE\tID\tNORMAL\tUNIQUE\tID\t1\n"
            "PEOPLE\tNAME\tFUNCTION-BASED NORMAL\tNONUNIQUE\tSYS_NC00009$\t1\n"
            "PEOPLE\tTOTAL\tNORMAL\tNONUNIQUE\tTOTAL\t1\n");
  // The descending tags: each column DESC, the column itself its expression.
  EXPECT_EQ(session.sql("SELECT e.INDEX_NAME, e.COLUMN_EXPRESSION, c.DESCEND FROM USER_IND_EXPRESSIONS e JOIN "
                        "USER_IND_COLUMNS c ON c.INDEX_NAME = e.INDEX_NAME AND c.COLUMN_POSITION = "
                        "e.COLUMN_POSITION ORDER BY 1, e.COLUMN_POSITION"),
            "INDEX_NAME\tCOLUMN_EXPRESSION\tDESCEND\n"
            "BORN\t\"BORN\"\tDESC\n"
            "CITYNAME\t\"CITY\"\tDESC\n"
            "CITYNAME\t\"NAME\"\tDESC\n"
            "NAME\tUPPER(\"NAME\")\tASC\n");
  EXPECT_EQ(session.sql(constraint_query),
            "TABLE_NAME\tCONSTRAINT_NAME\tCONSTRAINT_TYPE\tCOLUMN_NAME\nPEOPLE\tID\tU\tID\n");
  EXPECT_TRUE(has(run, "people: index MINE of PEOPLE.CDX (key MYKEY(name)) is not created: the function MYKEY has "
                       "no Oracle equivalent that sorts alike"))
      << run.out;
  EXPECT_TRUE(has(run, "people: index OSLO of PEOPLE.CDX (key name, for city = 'Oslo') is not created: Oracle "
                       "indexes every row, and this filter keeps some out"))
      << run.out;
  EXPECT_TRUE(has(run, "people: index MIXED of PEOPLE.CDX (key name+DTOS(born)) is not created: DTOS(born) is "
                       "joined with other fields but is not a character field"))
      << run.out;
  EXPECT_TRUE(has(run, "people: read 3, inserted 3, failed 0, skipped as deleted 0, warnings 3")) << run.out;

  // Without deleted records a candidate that leaves them out stays unique.
  const e2e_result skipped = session.convert(folder, {"--skip_del"});
  EXPECT_EQ(skipped.status, 1) << skipped.describe();
  EXPECT_EQ(session.sql("SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS ORDER BY 1"),
            "CONSTRAINT_NAME\nCITYOK\nID\n");
}

// Created after the rows, a candidate key the rows repeat is refused by
// Oracle: a warning with Oracle's message, and every row is there.
TEST(E2eIndexes, CdxCandidateTheRowsRepeatIsAWarningAndTheRowsStay) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  people(0x30, 0x01).write(folder, "PEOPLE.DBF");
  dbf_index_writer::write(folder, "PEOPLE.CDX",
                          dbf_index_writer::cdx({{"CITY", "city", "", kind::candidate},
                                                 {"UNAME", "UPPER(name)", "", kind::candidate},
                                                 {"ID", "id", "", kind::candidate}}));
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.count("PEOPLE"), "3");
  EXPECT_TRUE(has(run, "Warning:\npeople: index CITY is not created: ORA-02299: cannot validate (SCOTT.CITY) - "
                       "duplicate keys found"))
      << run.out;
  EXPECT_TRUE(has(run, "Warning:\npeople: index UNAME is not created: ORA-01452: cannot CREATE UNIQUE INDEX; "
                       "duplicate keys found"))
      << run.out;
  EXPECT_EQ(session.sql("SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS"), "CONSTRAINT_NAME\nID\n");
}

TEST(E2eIndexes, CdxNtxDamagedOrMissingIndexFilesAreWarningsOfTheirTable) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  people(0x30, 0x01).write(folder, "BROKEN.DBF");
  dbf_index_writer::write(folder, "BROKEN.CDX", dbf_index_writer::cdx({{"ID", "id"}}).substr(0, 1400));
  people(0x30, 0x01).write(folder, "LOST.DBF");
  people(0x03, 0x00).write(folder, "FINE.DBF");
  dbf_index_writer::write(folder, "FINE.NTX", std::string(1024, '\x09'));
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  for (const std::string table : {"BROKEN", "LOST", "FINE"}) EXPECT_EQ(session.count(table), "3");
  EXPECT_TRUE(has(run, "broken: the index file BROKEN.CDX is damaged or of an unknown kind (a page lies past its "
                       "end); its indexes are not created"))
      << run.out;
  EXPECT_TRUE(has(run, "lost: the table's header names a structural index file, but LOST.cdx is missing; its "
                       "indexes are not created"))
      << run.out;
  EXPECT_TRUE(has(run, "fine: the index file FINE.NTX is damaged or of an unknown kind (its signature is not "
                       "Clipper's); its indexes are not created"))
      << run.out;
  EXPECT_EQ(session.sql("SELECT COUNT(*) FROM USER_INDEXES"), "COUNT(*)\n0\n");
}

// Single-index files are the table's when they carry its base name; a
// production .mdx when the header says there is one.
TEST(E2eIndexes, IdxNdxNtxAndMdxFilesBecomeIndexes) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  people(0x30, 0x00).write(folder, "FOX.DBF");
  dbf_index_writer::write(folder, "FOX.IDX",
                          dbf_index_writer::idx({"", "LOWER(city)", "", kind::candidate, true}));
  people(0x03, 0x00).write(folder, "DB3.DBF");
  dbf_index_writer::write(folder, "DB3.NDX", dbf_index_writer::ndx({"", "name", "", kind::unique}));
  dbf_index_writer::write(folder, "OTHER.NDX", dbf_index_writer::ndx({"", "name"}));  // no table's
  people(0x03, 0x00).write(folder, "CLIP.DBF");
  dbf_index_writer::write(folder, "CLIP.NTX", dbf_index_writer::ntx({"", "id", "!DELETED()", kind::unique, true}));
  people(0x8B, 0x01).write(folder, "DB4.DBF");
  dbf_index_writer::write(folder, "DB4.MDX",
                          dbf_index_writer::mdx({{"DID", "id", "", kind::candidate},
                                                 {"DNAME", "name", "", kind::unique},
                                                 {"DBORN", "DTOS(born)", "", kind::plain, true}},
                                                "DB4"));
  const e2e_result run = session.convert(folder, {"--skip_del"});
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.sql(index_query),
            "TABLE_NAME\tINDEX_NAME\tINDEX_TYPE\tUNIQUENESS\tCOLUMN_NAME\tCOLUMN_POSITION\n"
            "CLIP\tCLIP\tFUNCTION-BASED NORMAL\tNONUNIQUE\tSYS_NC00006$\t1\n"
            "DB3\tDB3\tNORMAL\tNONUNIQUE\tNAME\t1\n"
            "DB4\tDBORN\tFUNCTION-BASED NORMAL\tNONUNIQUE\tSYS_NC00006$\t1\n"
            "DB4\tDID\tNORMAL\tUNIQUE\tID\t1\n"
            "DB4\tDNAME\tNORMAL\tNONUNIQUE\tNAME\t1\n"
            "FOX\tFOX\tFUNCTION-BASED NORMAL\tUNIQUE\tSYS_NC00006$\t1\n");
  EXPECT_EQ(session.sql(constraint_query),
            "TABLE_NAME\tCONSTRAINT_NAME\tCONSTRAINT_TYPE\tCOLUMN_NAME\nDB4\tDID\tU\tID\n");

  // --skip_idx: no index file is read, no index made.
  const e2e_result skipped = session.convert(folder, {"--skip_idx"});
  EXPECT_EQ(skipped.status, 0) << skipped.describe();
  EXPECT_EQ(session.sql("SELECT COUNT(*) FROM USER_INDEXES"), "COUNT(*)\n0\n");
}

// A .mdx tag's FOR filter is treated as a .cdx one: on DELETED() it is
// dropped, any other is a warning; a descending tag orders its columns DESC.
TEST(E2eIndexes, MdxFiltersAndDescendingTags) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  people(0x8B, 0x01).write(folder, "DB4.DBF");
  dbf_index_writer::write(folder, "DB4.MDX",
                          dbf_index_writer::mdx({{"DID", "id", ".NOT. DELETED()", kind::candidate},
                                                 {"DNAME", "name", "", kind::plain, true},
                                                 {"DCITY", "UPPER(city)", "!DELETED()", kind::plain, true},
                                                 {"RICH", "name", "total > 5"}},
                                                "DB4"));
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.count("DB4"), "3");
  EXPECT_TRUE(has(run, "db4: index RICH of DB4.MDX (key name, for total > 5) is not created: Oracle indexes every "
                       "row, and this filter keeps some out"))
      << run.out;
  // Deleted records are converted: the candidate that left them out is a plain index.
  EXPECT_EQ(session.sql("SELECT i.INDEX_NAME, i.INDEX_TYPE, i.UNIQUENESS, c.COLUMN_NAME, c.DESCEND, "
                        "e.COLUMN_EXPRESSION FROM USER_INDEXES i JOIN USER_IND_COLUMNS c ON c.INDEX_NAME = "
                        "i.INDEX_NAME LEFT JOIN USER_IND_EXPRESSIONS e ON e.INDEX_NAME = i.INDEX_NAME ORDER BY 1"),
            "INDEX_NAME\tINDEX_TYPE\tUNIQUENESS\tCOLUMN_NAME\tDESCEND\tCOLUMN_EXPRESSION\n"
            "DCITY\tFUNCTION-BASED NORMAL\tNONUNIQUE\tSYS_NC00007$\tDESC\tUPPER(\"CITY\")\n"
            "DID\tNORMAL\tNONUNIQUE\tID\tASC\t\n"
            "DNAME\tFUNCTION-BASED NORMAL\tNONUNIQUE\tSYS_NC00006$\tDESC\t\"NAME\"\n");

  // Without deleted records the candidate stays unique, a key constraint.
  const e2e_result skipped = session.convert(folder, {"--skip_del"});
  EXPECT_EQ(skipped.status, 1) << skipped.describe();
  EXPECT_EQ(session.sql(constraint_query),
            "TABLE_NAME\tCONSTRAINT_NAME\tCONSTRAINT_TYPE\tCOLUMN_NAME\nDB4\tDID\tU\tID\n");
}

// A table of a database container takes the long field names the container
// keeps; its key expressions are written with them.
TEST(E2eIndexes, DbcLongFieldNamesReplaceTheHeaderNames) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer orders(0x30);
  orders.table_flags(0x01).container("shop.dbc");
  orders.field(u"ORDER_ID", 'I').field(u"CUSTOMER_N", 'C', 20).field(u"DELIVERY_D", 'D');
  orders.record({dbf_cell::integer(1), dbf_cell::text(u"Ann"), dbf_cell::date(2024, 2, 3)});
  orders.write(folder, "ORDERS.DBF");
  dbf_index_writer::write(folder, "ORDERS.CDX",
                          dbf_index_writer::cdx({{"ORDER_ID", "order_id", "", kind::candidate},
                                                 {"CUSTOMER", "UPPER(customer_name)"},
                                                 {"DELIVERY", "DTOS(delivery_date)"}}));
  dbf_container_writer()
      .table(u"orders", {u"order_id", u"customer_name", u"delivery_date"})
      .table(u"other", {u"x"})
      .write(folder, "SHOP.DBC");
  // A table whose container is not in the folder keeps its short names.
  dbf_writer lost(0x30);
  lost.container("..\\elsewhere\\gone.dbc").field(u"LONG_NAME_", 'C', 5);
  lost.record({dbf_cell::text(u"x")}).write(folder, "LOST.DBF");

  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.sql("SELECT TABLE_NAME, COLUMN_NAME FROM USER_TAB_COLUMNS ORDER BY TABLE_NAME, COLUMN_ID"),
            "TABLE_NAME\tCOLUMN_NAME\nLOST\tLONG_NAME_\nORDERS\tORDER_ID\nORDERS\tCUSTOMER_NAME\n"
            "ORDERS\tDELIVERY_DATE\n");
  EXPECT_EQ(session.sql(index_query),
            "TABLE_NAME\tINDEX_NAME\tINDEX_TYPE\tUNIQUENESS\tCOLUMN_NAME\tCOLUMN_POSITION\n"
            "ORDERS\tCUSTOMER\tFUNCTION-BASED NORMAL\tNONUNIQUE\tSYS_NC00004$\t1\n"
            "ORDERS\tDELIVERY\tNORMAL\tNONUNIQUE\tDELIVERY_DATE\t1\n"
            "ORDERS\tORDER_ID\tNORMAL\tUNIQUE\tORDER_ID\t1\n");
  EXPECT_EQ(session.sql("SELECT CUSTOMER_NAME FROM ORDERS"), "CUSTOMER_NAME\nAnn\n");
  EXPECT_TRUE(has(run, "Warning:\nlost: the table belongs to the database container ..\\elsewhere\\gone.dbc, which "
                       "is not found; the table keeps the short field names of its header"))
      << run.out;
  // The container is no table of the run.
  EXPECT_EQ(session.tables(), "LOST\nORDERS\n");
}

// The pre-flight report tells each tag's fate as the run then deals it.
TEST(E2eIndexes, CdxTagsAreToldByTheCheckAsTheRunCreatesThem) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  people(0x30, 0x01).write(folder, "PEOPLE.DBF");
  dbf_index_writer::write(folder, "PEOPLE.CDX",
                          dbf_index_writer::cdx({{"ID", "id", "", kind::candidate}, {"MINE", "MYKEY(name)"}}));
  const e2e_result dry = session.agent({"--src=" + folder.string(), "--check"},
                                       {{"VESPER_OCI_LIB", "/nonexistent/libclntsh.so"}});
  EXPECT_EQ(dry.status, 1) << dry.describe();
  EXPECT_TRUE(has(dry, "Warning: 1 x index MINE of PEOPLE.CDX (key MYKEY(name)) is not created")) << dry.out;
  EXPECT_TRUE(has(dry, "Index tags: ID (ID) unique -> ALTER TABLE \"PEOPLE\" ADD CONSTRAINT \"ID\" UNIQUE (\"ID\")"))
      << dry.out;
  EXPECT_TRUE(has(dry, "Code page: 1252, the file's header names no code page")) << dry.out;
  EXPECT_EQ(session.convert(folder).status, 1);
}

// A container's primary key, literal defaults and relation reach Oracle; an
// expression default and a relation with an orphaned child row are warnings.
TEST(E2eIndexes, DbcKeysDefaultsAndRelationsBecomeOracleConstraints) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer customers(0x30);
  customers.table_flags(0x01).container("shop.dbc");
  customers.field(u"CUSTOMER_I", 'I').field(u"CUSTOMER_N", 'C', 20).field(u"CREDIT_LIM", 'N', 8, 2);
  customers.record({dbf_cell::integer(1), dbf_cell::text(u"Ann"), dbf_cell::number(100)});
  customers.write(folder, "CUSTOMERS.DBF");
  dbf_index_writer::write(folder, "CUSTOMERS.CDX",
                          dbf_index_writer::cdx({{"CUSTOMER_I", "customer_id", "", kind::candidate}}));
  dbf_writer orders(0x30);
  orders.table_flags(0x01).container("shop.dbc");
  orders.field(u"ORDER_ID", 'I').field(u"CUSTOMER_I", 'I').field(u"CREATED_BY", 'C', 10);
  orders.record({dbf_cell::integer(1), dbf_cell::integer(1), dbf_cell::text(u"me")});
  orders.record({dbf_cell::integer(2), dbf_cell::integer(7), dbf_cell::text(u"me")});  // no customer 7
  orders.write(folder, "ORDERS.DBF");
  dbf_index_writer::write(folder, "ORDERS.CDX",
                          dbf_index_writer::cdx({{"ORDER_ID", "order_id", "", kind::candidate},
                                                 {"CUSTOMER", "customer_id"}}));
  dbf_writer lines(0x30);
  lines.table_flags(0x01).container("shop.dbc");
  lines.field(u"ORDER_ID", 'I').field(u"LINE_NO", 'I');
  lines.record({dbf_cell::integer(1), dbf_cell::integer(1)});
  lines.write(folder, "LINES.DBF");
  dbf_index_writer::write(folder, "LINES.CDX", dbf_index_writer::cdx({{"ORDER_ID", "order_id"}}));
  dbf_container_writer()
      .table(u"customers", {u"customer_id", u"customer_name", u"credit_limit"}, {u"", u"'n/a'", u" 250.50"},
             u"customer_i")
      .table(u"orders", {u"order_id", u"customer_id", u"created_by"}, {u"", u"", u"SYS(0)"}, u"order_id")
      .relation(u"customer", u"customers", u"customer_i")
      .table(u"lines", {u"order_id", u"line_no"}, {u"", u"{^2024-01-02}"})
      .relation(u"order_id", u"orders", u"order_id")
      .write(folder, "SHOP.DBC");

  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.sql("SELECT c.TABLE_NAME, c.CONSTRAINT_TYPE, k.COLUMN_NAME, c.R_CONSTRAINT_NAME "
                        "FROM USER_CONSTRAINTS c JOIN USER_CONS_COLUMNS k ON k.CONSTRAINT_NAME = c.CONSTRAINT_NAME "
                        "WHERE c.CONSTRAINT_TYPE IN ('P', 'R') ORDER BY c.TABLE_NAME, c.CONSTRAINT_TYPE"),
            "TABLE_NAME\tCONSTRAINT_TYPE\tCOLUMN_NAME\tR_CONSTRAINT_NAME\n"
            "CUSTOMERS\tP\tCUSTOMER_ID\t\n"
            "LINES\tR\tORDER_ID\tORDER_ID00000\n"  // LINES has an index ORDER_ID of its own
            "ORDERS\tP\tORDER_ID\t\n");
  EXPECT_EQ(session.sql("SELECT TABLE_NAME, COLUMN_NAME, DATA_DEFAULT FROM USER_TAB_COLUMNS "
                        "WHERE DATA_DEFAULT IS NOT NULL ORDER BY TABLE_NAME, COLUMN_ID"),
            "TABLE_NAME\tCOLUMN_NAME\tDATA_DEFAULT\n"
            "CUSTOMERS\tCUSTOMER_NAME\t'n/a'\n"
            "CUSTOMERS\tCREDIT_LIMIT\t250.50\n");
  EXPECT_TRUE(has(run, "orders: the default value of field created_by, SYS(0), is an expression")) << run.out;
  EXPECT_TRUE(has(run, "orders: the relation of tag customer to customers (tag customer_i) becomes no foreign key"))
      << run.out;
  EXPECT_TRUE(has(run, "ORA-02298: cannot validate")) << run.out;
  EXPECT_TRUE(has(run, "There are orphaned records that prevent from creating foreign key")) << run.out;
  // Every row is in, the orphan too.
  EXPECT_EQ(session.sql("SELECT COUNT(*) FROM ORDERS"), "COUNT(*)\n2\n");
  EXPECT_EQ(session.tables(), "CUSTOMERS\nLINES\nORDERS\n");
}

// An index file named after no table of the folder is only listed by the check.
TEST(E2eIndexes, CheckListsIndexFilesOfNoTable) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  people(0x03, 0x00).write(folder, "PEOPLE.DBF");
  dbf_index_writer::write(folder, "PEOPLE.NDX", dbf_index_writer::ndx({"ID", "id"}));
  dbf_index_writer::write(folder, "OLD_KEYS.NTX", dbf_index_writer::ntx({"ID", "id"}));
  dbf_index_writer::write(folder, "archive.idx", dbf_index_writer::idx({"ID", "id"}));
  const e2e_result dry = session.agent({"--src=" + folder.string(), "--check"},
                                       {{"VESPER_OCI_LIB", "/nonexistent/libclntsh.so"}});
  EXPECT_TRUE(has(dry, "Index files of no table (not converted): OLD_KEYS.NTX, archive.idx")) << dry.out;
}

// Some writers keep a structural .cdx up to date but leave the header's flag
// clear: its tags are created all the same, and the run says so. Harbour's
// .nsx files are not read: one of a table is a warning of it, one of no
// table is listed by the check.
TEST(E2eIndexes, UnflaggedStructuralCdxIsReadAndNsxFilesAreNamed) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer plain(0x30);
  plain.table_flags(0x00).field(u"ID", 'I').field(u"NAME", 'C', 10);
  plain.record({dbf_cell::integer(1), dbf_cell::text(u"Ann")}).write(folder, "PLAIN.DBF");
  dbf_index_writer::write(folder, "PLAIN.CDX",
                          dbf_index_writer::cdx({{"ID", "id", "", kind::candidate}, {"NAME", "UPPER(name)"}}));
  dbf_writer harbour(0x03);
  harbour.field(u"CODE", 'C', 4).record({dbf_cell::text(u"x")}).write(folder, "HB.DBF");
  std::ofstream(folder / "HB.NSX", std::ios::binary) << std::string(1024, '\0');
  std::ofstream(folder / "OLD.nsx", std::ios::binary) << std::string(1024, '\0');

  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_TRUE(has(run, "plain: its header does not name a structural index file, but PLAIN.CDX is there: its tags "
                       "are read as the table's"))
      << run.out;
  EXPECT_TRUE(has(run, "Warning:\nhb: its index file HB.NSX is in Harbour's NSX format, which is not read: its "
                       "indexes are not created"))
      << run.out;
  EXPECT_EQ(e2e_occurrences(run.out, "Warning:"), 1u) << run.out;
  EXPECT_EQ(session.sql(index_query),
            "TABLE_NAME\tINDEX_NAME\tINDEX_TYPE\tUNIQUENESS\tCOLUMN_NAME\tCOLUMN_POSITION\n"
            "PLAIN\tID\tNORMAL\tUNIQUE\tID\t1\n"
            "PLAIN\tNAME\tFUNCTION-BASED NORMAL\tNONUNIQUE\tSYS_NC00003$\t1\n");
  const e2e_result dry = session.agent({"--src=" + folder.string(), "--check"},
                                       {{"VESPER_OCI_LIB", "/nonexistent/libclntsh.so"}});
  EXPECT_TRUE(has(dry, "Index files of no table (not converted): OLD.nsx\n")) << dry.out;
  EXPECT_TRUE(has(dry, "Index tags: ID (ID) unique")) << dry.out;
}
