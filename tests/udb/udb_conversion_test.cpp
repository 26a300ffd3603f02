#include <gtest/gtest.h>

#include "tk_mail_assertion.hpp"
#include "udb_custom_conversion.hpp"
#include "vesper_bool_rule.hpp"

namespace {

// Declares every column as a number: shows that the first rule decides.
class number_rule : public udb_conversion_rule {
 public:
  bool is_acceptable2(const ole_variant&) const override { return true; }
  bool is_acceptable1(const t_ftd&) const override { return true; }
  std::u16string handle2(const ole_variant&) const override { return u"0"; }
  std::u16string handle1(const t_ftd&) const override { return u"NUMBER"; }
};

const t_ftd logical(1, u"PAID", VT_BOOL);
const t_ftd text(10, u"NAME", VT_BSTR);

}  // namespace

TEST(UdbCustomConversion, OutsideARunNothingApplies) {
  EXPECT_FALSE(udb_custom_conversion::is_acceptable1(logical));
  EXPECT_FALSE(udb_custom_conversion::is_acceptable2(ole_variant(true)));
  EXPECT_EQ(udb_custom_conversion::handle1(logical), u"");
  EXPECT_EQ(udb_custom_conversion::handle2(ole_variant(true)), u"");
}

TEST(UdbCustomConversion, BoolRuleInsideARun) {
  udb_custom_conversion run;
  run.install(std::make_unique<vesper_bool_rule>());
  EXPECT_TRUE(udb_custom_conversion::is_acceptable1(logical));
  EXPECT_FALSE(udb_custom_conversion::is_acceptable1(text));
  EXPECT_EQ(udb_custom_conversion::handle1(logical), u"CHAR(1)");
  EXPECT_EQ(udb_custom_conversion::handle1(text), u"");
  EXPECT_EQ(udb_custom_conversion::handle2(ole_variant(true)), u"'T'");
  EXPECT_EQ(udb_custom_conversion::handle2(ole_variant(false)), u"'F'");
  // A logical column's value converted to another kind is left to the normal mapping.
  EXPECT_FALSE(udb_custom_conversion::is_acceptable2(ole_variant(1)));
  EXPECT_EQ(udb_custom_conversion::handle2(ole_variant(u"T")), u"");
  EXPECT_THROW(udb_custom_conversion second, tk_mail_assertion);
}

TEST(UdbCustomConversion, FirstInstalledRuleDecides) {
  udb_custom_conversion run;
  run.install(std::make_unique<vesper_bool_rule>());
  run.install(std::make_unique<number_rule>());
  EXPECT_EQ(udb_custom_conversion::handle1(logical), u"CHAR(1)");
  EXPECT_EQ(udb_custom_conversion::handle1(text), u"NUMBER");
  EXPECT_EQ(udb_custom_conversion::handle2(ole_variant(true)), u"'T'");
}
