#include "ora_date.hpp"

#include "ora_engine.hpp"
#include "tk_logger.hpp"

ora_date::ora_date(ora_engine& engine, OCIParam* parameter, ub2 type)
    : ora_type(engine, parameter, type) {
  timestamp_ = engine.new_descriptor(oci::dtype_timestamp);
}

ora_date::~ora_date() = default;

void ora_date::define(ora_stmt& statement, ub4 position) {
  statement.define(position, timestamp_.address(), sizeof(void*), oci::sqlt_timestamp, &indicator);
}

ole_variant ora_date::to_variant() {
  ora_engine& engine = engine_;
  sb2 year = 0;
  ub1 month = 0, day = 0, hour = 0, minute = 0, second = 0;
  ub4 nanoseconds = 0;
  engine.check_err(engine.oci().OCIDateTimeGetDate(engine.environment(), engine.error_handle(),
                                                   timestamp_.as<OCIDateTime>(), &year, &month, &day),
                   "OCIDateTimeGetDate");
  engine.check_err(engine.oci().OCIDateTimeGetTime(engine.environment(), engine.error_handle(),
                                                   timestamp_.as<OCIDateTime>(), &hour, &minute, &second,
                                                   &nanoseconds),
                   "OCIDateTimeGetTime");
  SYSTEMTIME time;
  time.wYear = static_cast<std::uint16_t>(year);
  time.wMonth = month;
  time.wDay = day;
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  time.wMilliseconds = static_cast<std::uint16_t>(nanoseconds / 1000000);
  tk_log(1, "Got time: %02d:%02d:%02d.%d", hour, minute, second, time.wMilliseconds);
  return ole_variant(time);
}
