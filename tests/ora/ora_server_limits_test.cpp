#include <gtest/gtest.h>

#include "ora_fn_validator.hpp"
#include "ora_schema_initializer.hpp"
#include "ora_server_limits.hpp"
#include "udb_builders.hpp"

namespace {

const std::u16string e_acute = u"\u00C9";
const std::u16string grin = u"\U0001F600";  // a surrogate pair
const std::u16string cyrillic = u"\u0418\u041C\u042F";

std::u16string repeat(const std::u16string& piece, int times) {
  std::u16string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

}  // namespace

TEST(OraServerLimits, NamesAreMeasuredAndCutInBytesOfTheDatabaseCharacterSet) {
  const ora_server_limits utf8(30, u"AL32UTF8");
  EXPECT_EQ(utf8.byte_length(repeat(e_acute, 29)), 58u);
  EXPECT_EQ(utf8.byte_length(u"A" + grin + u"\u20AC"), 1u + 4u + 3u);
  EXPECT_EQ(utf8.cut(repeat(e_acute, 29), 29), repeat(e_acute, 14));
  EXPECT_EQ(utf8.cut(u"A" + grin, 4), u"A");  // never half a pair
  EXPECT_TRUE(utf8.can_hold(cyrillic + grin));

  // Oracle's UTF8 writes a supplementary character as two 3-byte halves.
  EXPECT_EQ(ora_server_limits(30, u"UTF8").byte_length(grin), 6u);

  const ora_server_limits western(30, u"WE8MSWIN1252");
  EXPECT_EQ(western.byte_length(repeat(e_acute, 29)), 29u);
  EXPECT_TRUE(western.can_hold(u"CAF\u00C9\u20AC"));
  EXPECT_FALSE(western.can_hold(cyrillic));
  EXPECT_EQ(western.replace_foreign(cyrillic + u"_1" + grin), u"____1_");

  const ora_server_limits latin1(30, u"WE8ISO8859P1");
  EXPECT_TRUE(latin1.can_hold(u"\u00FF"));
  EXPECT_FALSE(latin1.can_hold(u"\u20AC"));
  EXPECT_TRUE(ora_server_limits(30, u"CL8MSWIN1251").can_hold(cyrillic));
  EXPECT_EQ(ora_server_limits(30, u"JA16SJIS").byte_length(u"\u65E5A"), 3u);
  EXPECT_FALSE(ora_server_limits(30, u"US7ASCII").can_hold(e_acute));

  // A set we cannot measure is measured as AL32UTF8, and says so.
  const ora_server_limits unknown(30, u"XX9UNKNOWN");
  EXPECT_FALSE(unknown.knows_charset());
  EXPECT_EQ(unknown.byte_length(e_acute), 2u);
  EXPECT_EQ(ora_server_limits(0, u"AL32UTF8").name_bytes(), 30u);
}

TEST(OraServerLimits, ExtendedColumnsOnlyFromRelease23WithTheParameterSet) {
  EXPECT_EQ(ora_server_limits::column_limit(23u << 16, u"EXTENDED"), 4096u);
  EXPECT_EQ(ora_server_limits::column_limit(23u << 16, u"STANDARD"), 1000u);
  EXPECT_EQ(ora_server_limits::column_limit(23u << 16, u""), 1000u);
  EXPECT_EQ(ora_server_limits::column_limit(19u << 16 | 3 << 8, u"EXTENDED"), 1000u);
}

TEST(OraServerLimits, ValidatorsKeepNamesWithinTheLimitAndTheCharacterSet) {
  ora_validator thirty(ora_server_limits(30, u"AL32UTF8"));
  EXPECT_FALSE(thirty.is_acceptable(repeat(e_acute, 16)));  // 32 bytes
  EXPECT_TRUE(thirty.is_acceptable(repeat(e_acute, 15)));
  EXPECT_EQ(thirty.get_safe_name(repeat(e_acute, 29)), repeat(e_acute, 14));
  thirty.add_existing_name(repeat(e_acute, 14));
  // The numbered form keeps 24 bytes for the stem.
  EXPECT_EQ(thirty.get_safe_name(repeat(e_acute, 29)), repeat(e_acute, 12) + u"00000");

  ora_validator long_names(ora_server_limits(128, u"AL32UTF8"));
  EXPECT_TRUE(long_names.is_acceptable(std::u16string(128, u'N')));
  EXPECT_FALSE(long_names.is_acceptable(std::u16string(129, u'N')));

  // Foreign letters become "_" first, so the name still gets its leading letter.
  ora_validator western(ora_server_limits(30, u"WE8MSWIN1252"));
  EXPECT_FALSE(western.is_acceptable(cyrillic));
  EXPECT_EQ(western.get_safe_name(cyrillic), u"A___");
  EXPECT_TRUE(western.is_acceptable(repeat(e_acute, 30)));
}

TEST(OraServerLimits, RowidIsRenamedInAnyCaseAndOtherReservedWordsStay) {
  ora_fn_validator upper(udb_schema_of({t_ftd(4, u"rowid", VT_I4), t_ftd(4, u"DATE", VT_I4)}));
  EXPECT_EQ(upper.take_name(u"rowid", true), u"ROWID00000");
  EXPECT_EQ(upper.take_name(u"DATE", true), u"DATE");
  ora_fn_validator as_is(udb_schema_of({t_ftd(4, u"RowId", VT_I4), t_ftd(4, u"SIZE", VT_I4)}));
  EXPECT_EQ(as_is.take_name(u"RowId", false), u"RowId00000");
  EXPECT_EQ(as_is.take_name(u"SIZE", false), u"SIZE");
}

TEST(OraServerLimits, SequenceAndTriggerNamesFitTheLimit) {
  const udb_schema id = udb_schema_of({t_ftd(10, u"ID", VT_I4, true, true)});
  const ora_schema_initializer thirty(std::u16string(30, u'T'), id, udb_indexes(), false,
                                      ora_server_limits(30, u"AL32UTF8"));
  EXPECT_EQ(thirty.sequence_name(0), std::u16string(28, u'T') + u"_0");
  EXPECT_EQ(thirty.sequence_name(10), std::u16string(27, u'T') + u"_10");
  // table + "__TRIGGER" would take 39 bytes: the sequence's name is unique.
  EXPECT_EQ(thirty.trigger_name(thirty.sequence_name(3)), thirty.sequence_name(3));

  const ora_schema_initializer accents(repeat(e_acute, 20), id, udb_indexes(), false,
                                       ora_server_limits(30, u"AL32UTF8"));
  EXPECT_EQ(accents.sequence_name(0), repeat(e_acute, 14) + u"_0");

  const ora_schema_initializer roomy(std::u16string(30, u'T'), id, udb_indexes(), false,
                                     ora_server_limits(128, u"AL32UTF8"));
  EXPECT_EQ(roomy.sequence_name(0), std::u16string(28, u'T') + u"_0");
  EXPECT_EQ(roomy.trigger_name(u"S"), std::u16string(30, u'T') + u"__TRIGGER");
}
