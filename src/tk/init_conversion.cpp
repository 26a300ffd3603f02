#include "init_conversion.hpp"

#include <ctime>

#include "tk_logger.hpp"

namespace {
void banner(const char* which) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  tk_log(3, "Conversion %s on %02d/%02d/%04d at %02d:%02d:%02d\n", which, local.tm_mday,
         local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
}
}  // namespace

// COM does not exist here: `com_ready` has nothing to start.
init_conversion::init_conversion(std::atomic<bool>& done, bool) : done_(done) {
  tk_log(2, "init_conversion::ctor");
  banner("started");
}

init_conversion::~init_conversion() {
  tk_log(2, "init_conversion::dtor");
  banner("ended");
  done_ = true;
}
