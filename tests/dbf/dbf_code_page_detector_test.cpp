// The code page detector on text our writer's way: the same words encoded
// in each page it chooses from are found in that page (or in one that
// decodes them alike, as DOS 437 does German for 850).
#include <gtest/gtest.h>

#include <tuple>

#include "dbf_code_page_detector.hpp"
#include "tk_code_page.hpp"

namespace {

struct sample {
  int page;
  std::vector<std::u16string> values;
};

const std::vector<std::u16string> russian = {u"Москва", u"Двужильного Ю. (ул.)", u"Январь",
                                             u"Горячев Александр Леонидович", u"кнопка на выход не работает",
                                             u"ОБЩЕСТВО С ОГРАНИЧЕННОЙ ОТВЕТСТВЕННОСТЬЮ", u"дверь заблокирована"};
const std::vector<std::u16string> ukrainian = {u"Київ", u"вулиця Богдана Хмельницького", u"Українська мова",
                                               u"бульвар Лесі Українки", u"Вишневе", u"ґанок і подвір'я"};
const std::vector<std::u16string> german = {u"Müller", u"Straße", u"Größe der Übergabe", u"Bäckerei Schön",
                                            u"Fußgängerzone", u"Köln"};
const std::vector<std::u16string> french = {u"élève", u"été", u"garçon", u"où", u"déjà", u"français",
                                            u"Noël à la crèche", u"Hôtel de Ville"};
const std::vector<std::u16string> polish = {u"Łódź", u"źdźbło", u"zażółć gęślą jaźń", u"Kraków",
                                            u"ulica Świętokrzyska", u"Gdańsk"};
const std::vector<std::u16string> greek = {u"ΑΘΗΝΑ", u"ΟΔΟΣ ΠΑΝΕΠΙΣΤΗΜΙΟΥ", u"ελληνικη γλωσσα", u"Πειραιας",
                                           u"Θεσσαλονικη"};
const std::vector<std::u16string> turkish = {u"İstanbul", u"Şişli", u"Çağlayan", u"güzel", u"ılık", u"öğrenci",
                                             u"Beşiktaş"};
const std::vector<std::u16string> hebrew = {u"שלום עולם", u"תל אביב", u"ירושלים", u"רחוב הרצל"};
const std::vector<std::u16string> arabic = {u"مرحبا بالعالم", u"القاهرة", u"شارع النيل"};
const std::vector<std::u16string> lithuanian = {u"Šiauliai", u"Klaipėda", u"ąžuolas", u"ūkininkas", u"žąsis",
                                                u"Panevėžys"};

dbf_code_page_guess guess_of(int page, const std::vector<std::u16string>& values, dbf_code_page_detector& detector) {
  for (const std::u16string& value : values) detector.add(tk_code_page::get(page).encode(value));
  return detector.guess();
}

}  // namespace

// Text in a page is found in it, or in a page that reads it alike; Latin
// pages of one family (1250, 1252, 1254, 1257) read each other's letters as
// other letters, and without a language to tell them apart the guess is
// then unsure, never wrong and sure.
TEST(DbfCodePageDetector, TextOfEachPageIsFoundInItOrLeftUnsure) {
  const std::vector<sample> samples = {
      {1251, russian}, {866, russian},     {20866, russian},    {65001, russian},   {1251, ukrainian},
      {21866, ukrainian}, {1252, german},  {850, german},       {1252, french},     {850, french},
      {1250, polish},  {852, polish},      {1253, greek},       {737, greek},       {1254, turkish},
      {857, turkish},  {1255, hebrew},     {862, hebrew},       {1256, arabic},     {1257, lithuanian},
      {775, lithuanian},
  };
  for (const sample& s : samples) {
    dbf_code_page_detector detector;
    const dbf_code_page_guess guess = guess_of(s.page, s.values, detector);
    const bool found = guess.code_page == s.page || detector.decodes_alike(guess.code_page, s.page);
    EXPECT_TRUE(found || guess.sureness < 50) << "text in " << s.page << " taken for " << guess.code_page;
    EXPECT_GT(guess.score, 0.5) << s.page;
  }
}

// What the warning rests on: text read in the DOS page of its Windows one,
// or the reverse, or in another script's page, scores far below its own.
TEST(DbfCodePageDetector, TextReadInAnotherFamilysPageScoresFarBelow) {
  const std::vector<std::tuple<int, int, std::vector<std::u16string>>> cases = {
      {866, 1251, russian},  {1251, 866, russian},  {20866, 1251, russian}, {1251, 20866, russian},
      {866, 1252, russian},  {1251, 1252, russian}, {65001, 1251, russian}, {1251, 21866, ukrainian},
      {850, 1252, german},   {1252, 850, german},   {852, 1250, polish},    {1250, 852, polish},
      {737, 1253, greek},    {857, 1254, turkish},  {862, 1255, hebrew},    {775, 1257, lithuanian},
      {1255, 1252, hebrew},  {1256, 1252, arabic},  {1253, 1252, greek},
  };
  for (const auto& [page, other, values] : cases) {
    dbf_code_page_detector detector;
    for (const std::u16string& value : values) detector.add(tk_code_page::get(page).encode(value));
    EXPECT_GE(detector.score(page) - detector.score(other), 0.5) << page << " read in " << other;
  }
}

// Pages that only reorder the same letters differ by how common the letters
// are: all-capital Russian is not KOI8-R's lower case, nor the reverse
// (by a lead too small for a warning).
TEST(DbfCodePageDetector, CapitalsOfOnePageAreNotAnotherPagesSmallLetters) {
  for (int page : {1251, 20866}) {
    dbf_code_page_detector detector;
    const dbf_code_page_guess guess =
        guess_of(page, {u"ОБЩЕСТВО С ОГРАНИЧЕННОЙ ОТВЕТСТВЕННОСТЬЮ", u"МОСКВА", u"ПРОСПЕКТ МИРА"}, detector);
    EXPECT_EQ(guess.code_page, page);
    EXPECT_GT(guess.sureness, 0) << page;
  }
}

// Text of ASCII only gives no guess; a few characters give a guess of
// little sureness; the score of the page in use tells how wrong it reads.
TEST(DbfCodePageDetector, SurenessGrowsWithTheTextAndAsciiGivesNoGuess) {
  dbf_code_page_detector ascii;
  ascii.add("Plain text 123");
  EXPECT_EQ(ascii.guess().code_page, 0);
  dbf_code_page_detector little;
  little.add(tk_code_page::get(866).encode(u"дом"));
  EXPECT_LT(little.guess().sureness, 50);
  dbf_code_page_detector much;
  for (const std::u16string& value : russian) much.add(tk_code_page::get(866).encode(value));
  EXPECT_EQ(much.guess().code_page, 866);
  EXPECT_GE(much.guess().sureness, 90);
  EXPECT_LT(much.score(1252), 0);
  EXPECT_LT(much.score(1251), 0);
}
