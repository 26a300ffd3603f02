// The manual installed with the programs against the programs themselves:
// every option of the agent's usage text, every code page --encoding=
// takes and every Oracle error with a message of its own have their place,
// the articles the messages send users to exist under those names, and no
// page links to a page that is not there.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "dbf_code_pages.hpp"
#include "e2e_session.hpp"
#include "ora_error_texts.hpp"
#include "tk_format.hpp"

namespace {

const std::filesystem::path manual = VESPER_E2E_MANUAL;

std::string page(const std::string& name) {
  std::ifstream in(manual / name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(E2eManual, TheCommandLineArticleHasEveryOptionAndCodePage) {
  const std::string article = page("command-line.html");
  ASSERT_NE(article.find("<title>Command Line - Vesper</title>"), std::string::npos);
  e2e_session session;
  const e2e_result help = session.agent({"--help"});
  std::set<std::string> options;
  const std::regex option("(--[a-z_0-9-]+)");
  for (std::sregex_iterator it(help.err.begin(), help.err.end(), option), end; it != end; ++it)
    options.insert((*it)[1]);
  EXPECT_GT(options.size(), 25u) << help.err;
  for (const std::string& name : options)
    EXPECT_NE(article.find("<code>" + name), std::string::npos) << name << " is not in the Command Line article";
  for (const dbf_code_page& row : dbf_code_pages::choices())
    EXPECT_NE(article.find(tk_format("<tr><td>%d</td><td>0x%02X</td><td>%s</td>", row.driver, row.driver, row.name)),
              std::string::npos)
        << row.name;
}

TEST(E2eManual, TheTroubleshootingArticleExplainsEveryFriendlyOracleMessage) {
  const std::string article = page("troubleshooting.html");
  ASSERT_NE(article.find("<title>Troubleshooting - Vesper</title>"), std::string::npos);
  for (std::size_t i = 0; i < ora_error_texts::count(); ++i) {
    const int number = ora_error_texts::table()[i].code & 0xFFFF;
    EXPECT_NE(article.find(tk_format("<tr id=\"ora-%05d\"><td>ORA-%05d</td>", number, number)), std::string::npos)
        << number;
  }
}

TEST(E2eManual, EveryLinkOfEveryPageFindsItsPage) {
  const std::regex link("href=\"([^\"#:]+)[^\"]*\"");
  std::size_t pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(manual)) {
    if (entry.path().extension() != ".html") continue;
    ++pages;
    const std::string text = page(entry.path().filename().string());
    for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it)
      EXPECT_TRUE(std::filesystem::exists(manual / (*it)[1].str())) << entry.path() << " links to " << (*it)[1];
  }
  EXPECT_GE(pages, 12u);
}
