// The trace lines of the values library, written through a real logger: this
// also runs every formatted argument through the formatter.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "ole_date.hpp"
#include "ole_variant.hpp"
#include "tk_logger.hpp"

namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class OleTraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "ole_trace_test.log";
    std::remove(path_.c_str());
  }
  void TearDown() override { std::remove(path_.c_str()); }
  std::string path_;
};

}  // namespace

TEST_F(OleTraceTest, ConversionsTraceTheirSteps) {
  {
    tk_logger logger(path_.c_str(), true, 1, false);
    ole_variant(static_cast<long long>(-5)).to_string();
    ole_variant::from_string("12,5", VT_CY);
    ole_variant::from_string("ABC", VT_BYTE_ARRAY);
    ole_variant::from_string("x", VT_DECIMAL);
    ole_variant(3.5).to_long();
    ole_date("2024-12-31 10:20:30.5");
    ole_date("1/2");
  }
  std::string log = read_file(path_);
  for (const char* line :
       {"ole_variant::ctor(hyper, -5)\r\n", "ole_variant::to_string (vt=00000014)\r\n",
        "ole_variant::from_string('12,5', 0x00000006)\r\n", "GOT VT_CY\r\n",
        "Construct ole_variant from CY\r\n", "Incorrect BLOB (size is odd)\r\n",
        "VarDecFromStr failed: 80020005\r\n", "ole_variant::ctor from double(3.500000e+00)\r\n",
        "ole_variant::to_long(vt=00000005)\r\n", "Trying datetime format #0\r\n",
        "Format #0 succeeded (6 items)\r\n", "Got row sec: '30.5'\r\n", "Got msec: 500\r\n",
        "Invalid date/time format: '1/2'\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
}
