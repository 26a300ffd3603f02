#include <gtest/gtest.h>

#include "tk_case.hpp"
#include "tk_mail_assertion.hpp"
#include "udb_validator.hpp"

namespace {

std::u16string letters(std::size_t n) {
  std::u16string s;
  for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char16_t>(u'A' + i % 26));
  return s;
}

// Accepts nothing: every candidate fails.
class refusing_validator : public udb_validator {
 public:
  refusing_validator() : udb_validator(30) {}
  bool is_acceptable(const std::u16string&) override { return false; }
};

}  // namespace

TEST(UdbValidator, CutsAtTheLimitAndNumbersCollisions) {
  udb_validator v(30);
  EXPECT_EQ(v.get_safe_name(letters(30)), letters(30));
  EXPECT_EQ(v.get_safe_name(letters(31)), letters(29));

  v.add_existing_name(letters(29));
  EXPECT_EQ(v.get_safe_name(letters(31)), letters(24) + u"00000");
  v.add_existing_name(tk_to_lower(letters(24)) + u"00000");
  EXPECT_EQ(v.get_safe_name(letters(31)), letters(24) + u"00001");
}

TEST(UdbValidator, WithoutLimitNamesAreNeverCut) {
  udb_validator v(0);
  EXPECT_TRUE(v.is_acceptable(letters(500)));
  v.add_existing_name(u"orders");
  EXPECT_TRUE(v.is_duplicated(u"ORDERS"));
  EXPECT_EQ(v.get_safe_name(u"Orders"), u"Orders00000");
}

TEST(UdbValidator, RestrictedNamesAndIllegalCharacters) {
  udb_validator v(30);
  v.restricted_names = {u"SELECT"};
  v.illegal_characters = {u'-', u' '};
  EXPECT_FALSE(v.is_acceptable(u"select"));
  EXPECT_EQ(v.get_safe_name(u"select"), u"select00000");
  EXPECT_FALSE(v.is_acceptable(u"a-b"));
  EXPECT_EQ(v.get_safe_name(u"order date-1"), u"order_date_1");

  v.add_mapped_pair(u"src", u"dst");
  EXPECT_EQ(v.mapped_pairs.at(u"src"), u"dst");
}

TEST(UdbValidator, CutNeverSplitsASurrogatePair) {
  udb_validator v(5);
  std::u16string name = u"abc\U0001F600x";  // the emoji is two code units at 3 and 4
  EXPECT_EQ(v.get_safe_name(name), u"abc");
  EXPECT_EQ(udb_cut_name(u"ab\U0001F600", 3), u"ab");
}

TEST(UdbValidator, ExhaustionRaisesTheAssertion) {
  refusing_validator v;
  EXPECT_THROW(v.get_safe_name(u"anything"), tk_mail_assertion);
}
