#include <gtest/gtest.h>

#include "udb_custom_conversion.hpp"
#include "vesper_bool_rule.hpp"

namespace {

// Declares every column as a number: shows that the first rule decides.
class number_rule : public udb_conversion_rule {
 public:
  bool claims(const t_ftd&) const override { return true; }
  bool claims(const ole_variant&) const override { return true; }
  udb_column_type column_type(const t_ftd&) const override { return {udb_column_type::kind::number}; }
  ole_variant value(const ole_variant&) const override { return ole_variant(0); }
};

const t_ftd logical(1, u"PAID", VT_BOOL);
const t_ftd text(10, u"NAME", VT_BSTR);

}  // namespace

TEST(UdbCustomConversion, WithoutRulesNothingIsClaimed) {
  const udb_custom_conversion none;
  EXPECT_EQ(none.rule_for(logical), nullptr);
  EXPECT_EQ(none.rule_for(ole_variant(true)), nullptr);
}

TEST(UdbCustomConversion, BoolRuleGivesOneFixedCharacterAndTypedLetters) {
  udb_custom_conversion run;
  run.install(std::make_unique<vesper_bool_rule>());
  const udb_conversion_rule* rule = run.rule_for(logical);
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(run.rule_for(text), nullptr);
  EXPECT_EQ(rule->column_type(logical), (udb_column_type{udb_column_type::kind::fixed_text, 1}));
  ASSERT_EQ(run.rule_for(ole_variant(true)), rule);
  const ole_variant yes = rule->value(ole_variant(true)), no = rule->value(ole_variant(false));
  EXPECT_EQ(yes.get_type(), VT_BSTR);
  EXPECT_EQ(yes.to_wstring(), u"T");
  EXPECT_EQ(no.to_wstring(), u"F");
  // A logical column's value converted to another kind is left to the normal mapping.
  EXPECT_EQ(run.rule_for(ole_variant(1)), nullptr);
  EXPECT_EQ(run.rule_for(ole_variant(u"T")), nullptr);
}

TEST(UdbCustomConversion, FirstInstalledRuleDecides) {
  udb_custom_conversion run;
  run.install(std::make_unique<vesper_bool_rule>());
  run.install(std::make_unique<number_rule>());
  EXPECT_EQ(run.rule_for(logical)->column_type(logical).what, udb_column_type::kind::fixed_text);
  EXPECT_EQ(run.rule_for(text)->column_type(text).what, udb_column_type::kind::number);
  EXPECT_EQ(run.rule_for(ole_variant(true))->value(ole_variant(true)).to_wstring(), u"T");
}

// Two runs in one process each have their own rules.
TEST(UdbCustomConversion, RulesBelongToTheirRun) {
  udb_custom_conversion first, second;
  first.install(std::make_unique<vesper_bool_rule>());
  EXPECT_NE(first.rule_for(logical), nullptr);
  EXPECT_EQ(second.rule_for(logical), nullptr);
}
