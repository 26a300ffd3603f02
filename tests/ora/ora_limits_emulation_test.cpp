#include "ora_emulation_fixture.hpp"
#include "udb_builders.hpp"

#ifdef VESPER_TEST_OCI_LIB

TEST_F(OraEmulationTest, TheServersLimitsAreLearnedAtConnect) {
  EXPECT_EQ(connect().limits.name_bytes(), 128u);
  EXPECT_EQ(db_->limits.charset(), u"AL32UTF8");
  EXPECT_EQ(db_->limits.max_columns(), 1000u);

  ASSERT_EQ(tool("create-service OLD scott tiger --compatible=12.1 --charset=WE8MSWIN1252"), 0);
  db_.reset();
  db_ = engine_->open_db(u"localhost", u"scott", u"tiger", u"", u"OLD");
  EXPECT_EQ(db_->limits.name_bytes(), 30u);
  EXPECT_EQ(db_->limits.charset(), u"WE8MSWIN1252");
}

TEST_F(OraEmulationTest, AnAutoIncrementTableWithAThirtyCharacterNameNumbersItsRows) {
  ASSERT_EQ(tool("create-service OLD scott tiger --compatible=12.1"), 0);
  db_ = engine_->open_db(u"localhost", u"scott", u"tiger", u"", u"OLD");
  const std::u16string table(30, u'T');
  // The first ten sequence names are taken: the eleventh needs a shorter base.
  for (int n = 0; n < 10; ++n)
    db_->run(u"CREATE SEQUENCE \"" + std::u16string(28, u'T') + u"_" + std::u16string(1, char16_t(u'0' + n)) + u"\"");
  db_->create_table(table, udb_schema_of({t_ftd(10, u"ID", VT_I4, true, true), t_ftd(10, u"NAME", VT_BSTR)}),
                    udb_indexes());
  db_->run(u"INSERT INTO \"" + table + u"\" (\"NAME\") VALUES ('a')");
  db_->run(u"INSERT INTO \"" + table + u"\" (\"NAME\") VALUES ('b')");
  engine_->commit();
  std::string rows;
  ASSERT_EQ(tool("sql OLD scott tiger " + test_shell_quoted("SELECT ID, NAME FROM " + std::string(30, 'T') + " ORDER BY ID"), &rows), 0);
  EXPECT_EQ(rows, "ID\tNAME\n1\ta\n2\tb\n");
  ASSERT_EQ(tool("sql OLD scott tiger " + test_shell_quoted("SELECT TRIGGER_NAME FROM USER_TRIGGERS"), &rows), 0);
  EXPECT_EQ(rows, "TRIGGER_NAME\n" + std::string(27, 'T') + "_10\n");
}

#endif
