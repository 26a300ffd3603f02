#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "console_error_presenter.hpp"
#include "error_handler.hpp"
#include "tk_exception_ex.hpp"
#include "tk_final_exception.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

namespace {

const tk_error_text oracle_texts[] = {
    {0x1003F9, "Invalid user name or password."},
    {0x102F7A, "TNS:could not resolve the connect identifier."},
};

// Records what the wizard-like presenter was asked to show.
class recording_presenter : public error_presenter {
 public:
  recording_presenter(std::vector<std::string>& shown, bool abort) : shown_(shown), abort_(abort) {}
  void show_internal_error(const std::string& what) override { shown_.push_back("internal:" + what); }
  bool show_error(const std::string& text, int, bool& silent) override {
    if (!silent) shown_.push_back(text);
    return abort_;
  }
  void show_warning(const std::string& text, bool silent) override {
    shown_.push_back((silent ? "silent warning:" : "warning:") + text);
  }
  bool run_errors_end_process() const override { return false; }

 private:
  std::vector<std::string>& shown_;
  bool abort_;
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(TkException, EmptyTextIsUnknownAndWideTextIsUtf8) {
  EXPECT_STREQ(tk_exception("").what(), "Unknown exception");
  EXPECT_STREQ(tk_exception(std::u16string(u"\u0416")).what(), "\xD0\x96");
  tk_exception_ex e("Error opening file: ", 0, ENOENT);
  EXPECT_EQ(e.code, ENOENT);
  EXPECT_EQ(e.level, 0);
  EXPECT_EQ(std::string(e.what()), "Error opening file: No such file or directory");
}

TEST(TkMailAssertion, PlaceIsHexOfFileBackslashLine) {
  tk_mail_assertion a("a", 1);
  EXPECT_STREQ(a.what(), "Internal error: \ncode=615c31");
  EXPECT_EQ(a.level, 2);
  EXPECT_EQ(a.code, 0);
}

TEST(TkMailAssertion, MacroNamesTheRaisingFileWithoutFolders) {
  int line = 0;
  try {
    line = __LINE__ + 1;
    TK_ASSERTION_FAILED();
  } catch (const tk_mail_assertion& a) {
    std::string expected = "Internal error: \ncode=" +
                           tk_mail_assertion::encode_place("error_handler_test.cpp", line);
    EXPECT_EQ(a.what(), expected);
  }
}

TEST(TkErrorConverter, KnownAndUnknownCodesAndNullTable) {
  tk_error_converter c(2, oracle_texts);
  EXPECT_EQ(c.convert(0x1003F9), "Invalid user name or password.");
  EXPECT_EQ(c.convert(0x100001), "");
  EXPECT_THROW(tk_error_converter(1, nullptr), tk_mail_assertion);
  tk_error_converter empty(0, oracle_texts);
  EXPECT_EQ(empty.convert(0x1003F9), "");
}

TEST(ErrorHandler, TextHasPrefixAndFriendlyMessageReplacesOracleText) {
  std::string log = ::testing::TempDir() + "error_handler_text.log";
  tk_logger logger(log.c_str(), true, 1, false);
  error_handler handler(2, oracle_texts);
  std::vector<std::string> shown;
  handler.set_presenter(std::make_unique<recording_presenter>(shown, false));

  handler.error(tk_exception("ORA-01017: invalid username/password; logon denied", 0, 0x1003F9), "ORDERS, record #7",
                false);
  handler.handle(tk_exception("first line\nsecond line", 0));  // the place of the last error is not kept
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "ORDERS, record #7: Invalid user name or password.");
  EXPECT_EQ(shown[1], "first line second line");  // shown with spaces
  std::string logged = read_file(log);
  EXPECT_NE(logged.find("Error:\nfirst line\nsecond line\r\n"), std::string::npos);
  EXPECT_EQ(logged.find("logon denied"), std::string::npos);  // Oracle text neither shown nor logged
  std::remove(log.c_str());
}

TEST(ErrorHandler, WizardLikePresenterStopsRunsUnlessNoStop) {
  error_handler handler(0, oracle_texts);
  std::vector<std::string> shown;
  handler.set_presenter(std::make_unique<recording_presenter>(shown, false));
  EXPECT_THROW(handler.handle(tk_exception("run", 1)), tk_final_exception);
  EXPECT_NO_THROW(handler.handle(tk_exception("run", 1), true));
  EXPECT_NO_THROW(handler.handle(tk_exception("item", 0)));

  handler.set_presenter(std::make_unique<recording_presenter>(shown, true));  // user aborts
  EXPECT_THROW(handler.handle(tk_exception("item", 0)), tk_final_exception);
  EXPECT_NO_THROW(handler.handle(tk_exception("item", 0), true));
}

TEST(ErrorHandler, WarningsAreCountedPerTableAndOnlyTheFirstTwentyShown) {
  std::string log = ::testing::TempDir() + "error_handler_warnings.log";
  tk_logger logger(log.c_str(), true, 1, false);
  error_handler handler(0, oracle_texts);
  std::vector<std::string> shown;
  handler.set_presenter(std::make_unique<recording_presenter>(shown, false));

  for (std::uint64_t record = 1; record <= 23; ++record)
    handler.warn({"goods", record, "NOTE", "memo data is damaged\nleft empty"});
  handler.warn({"other", 0, "EXTRA", "dropped"});
  handler.close_table_warnings("goods");
  handler.close_table_warnings("other");  // none held back: nothing to add
  EXPECT_EQ(handler.warnings_of("goods"), 23u);
  EXPECT_EQ(handler.warnings_of("other"), 1u);
  EXPECT_EQ(handler.warnings_of("never"), 0u);
  EXPECT_EQ(handler.warning_count(), 24u);
  ASSERT_EQ(shown.size(), 22u);
  EXPECT_EQ(shown[0], "warning:goods, record #1, column NOTE: memo data is damaged left empty");
  EXPECT_EQ(shown[19], "warning:goods, record #20, column NOTE: memo data is damaged left empty");
  EXPECT_EQ(shown[20], "warning:other, column EXTRA: dropped");
  EXPECT_EQ(shown[21], "warning:goods: 3 more warnings not shown");
  std::string logged = read_file(log);
  // The log keeps every warning, each on a line of its own.
  for (int record = 1; record <= 23; ++record)
    EXPECT_NE(logged.find("Warning:\ngoods, record #" + std::to_string(record) +
                          ", column NOTE: memo data is damaged left empty\r\n"),
              std::string::npos)
        << record;
  EXPECT_NE(logged.find("goods: 3 more warnings not shown"), std::string::npos);

  // Silence is the presenter's to honour: a list of problems may keep them.
  handler.silent = true;
  handler.warn({"", 0, "", "quiet"});
  EXPECT_EQ(shown.back(), "silent warning:quiet");
  std::remove(log.c_str());
}

// Two runs in one process report to handlers of their own: neither counts
// the other's warnings.
TEST(ErrorHandler, TwoHandlersCountTheirOwnWarnings) {
  std::vector<std::string> shown_first, shown_second;
  error_handler first(0, oracle_texts);
  error_handler second(0, oracle_texts);
  first.set_presenter(std::make_unique<recording_presenter>(shown_first, false));
  second.set_presenter(std::make_unique<recording_presenter>(shown_second, false));
  first.warn({"ORDERS", 3, "TOTAL", "rounded"});
  first.warn({"ORDERS", 4, "TOTAL", "rounded"});
  second.warn({"ORDERS", 9, "NOTE", "cut"});
  EXPECT_EQ(first.warnings_of("ORDERS"), 2u);
  EXPECT_EQ(second.warnings_of("ORDERS"), 1u);
  EXPECT_EQ(first.warning_count(), 2u);
  EXPECT_EQ(second.warning_count(), 1u);
  EXPECT_EQ(shown_first.size(), 2u);
  EXPECT_EQ(shown_second.size(), 1u);
}

using ErrorHandlerDeathTest = ::testing::Test;

TEST(ErrorHandlerDeathTest, ConsoleRunErrorEndsProcessWith255) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        error_handler handler(2, oracle_texts);
        handler.handle(tk_exception("cannot go on", 1));
      },
      ::testing::ExitedWithCode(255), "");
}

TEST(ErrorHandlerDeathTest, ConsoleItemErrorReturnsAndPrints) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        error_handler handler(2, oracle_texts);
        handler.error(tk_exception("a\nb", 0, 0), "T", false);
        std::fprintf(stderr, "returned\n");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "returned");
}

TEST(ErrorHandlerDeathTest, SilentRunErrorStillEnds_InternalErrorAlwaysPrints) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        error_handler handler(2, oracle_texts);
        handler.silent = true;
        handler.handle(tk_exception("quiet", 1));
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT(
      {
        error_handler handler(2, oracle_texts);
        handler.silent = true;
        handler.set_presenter(std::make_unique<console_error_presenter>(stderr));
        handler.handle(tk_mail_assertion("a", 1));
      },
      ::testing::ExitedWithCode(255), "Internal error: Internal error: \ncode=615c31");
}

TEST(ConsoleErrorPresenter, PrintsErrorAndWarningBlocksUnlessSilent) {
  std::FILE* f = std::tmpfile();
  console_error_presenter p(f);
  bool silent = false;
  EXPECT_FALSE(p.show_error("T: broken", 0, silent));
  silent = true;
  p.show_error("hidden", 0, silent);
  p.show_warning("hidden", true);
  p.show_warning("T, record #2, column M: damaged", false);
  p.show_internal_error("boom");
  std::rewind(f);
  char buffer[256] = {};
  std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
  std::fclose(f);
  EXPECT_EQ(std::string(buffer, n), "Error:\nT: broken\nWarning:\nT, record #2, column M: damaged\nInternal error: boom\n");
}
