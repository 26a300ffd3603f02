#include "ora_limits_reader.hpp"

#include "ora_engine.hpp"
#include "ora_exception.hpp"
#include "ora_stmt.hpp"
#include "tk_logger.hpp"

namespace {
const char16_t* const fallback_charset = u"AL32UTF8";
}  // namespace

ora_server_limits ora_limits_reader::read() {
  tk_log(1, "ora_limits_reader::read");
  std::uint32_t name_bytes = read_name_bytes();
  ora_server_limits limits(name_bytes, read_charset(), read_max_columns());
  if (!limits.knows_charset())
    tk_log(2, "The database character set %s is not known here; names are measured as %s", limits.charset(),
           fallback_charset);
  tk_log(2, "Names of up to %d bytes in %s, tables of up to %d columns", limits.name_bytes(), limits.charset(),
         limits.max_columns());
  return limits;
}

std::uint32_t ora_limits_reader::read_name_bytes() {
  ub4 bytes = 0;
  sword status = engine_.oci().OCIAttrGet(engine_.service_context(), oci::htype_svcctx, &bytes, nullptr,
                                          oci::attr_max_identifier_len, engine_.error_handle());
  if (status != oci::success || bytes == 0) {
    tk_log(2, "The client does not report the identifier limit (status %d); names keep to %d bytes", status,
           ora_server_limits::classic_name_bytes);
    return ora_server_limits::classic_name_bytes;
  }
  return bytes;
}

std::u16string ora_limits_reader::read_charset() {
  try {
    std::u16string charset = first_value(
        u"SELECT VALUE FROM NLS_DATABASE_PARAMETERS WHERE PARAMETER = 'NLS_CHARACTERSET'");
    if (!charset.empty()) return charset;
    tk_log(2, "The database character set is not given; names are measured as %s", fallback_charset);
  } catch (const ora_exception& e) {
    tk_log(2, "The database character set cannot be read (%s); names are measured as %s", e.message,
           fallback_charset);
  }
  return fallback_charset;
}

std::uint32_t ora_limits_reader::read_max_columns() {
  try {
    std::uint32_t version = engine_.get_version();
    if (ora_server_limits::column_limit(version, u"EXTENDED") == ora_server_limits::classic_columns)
      return ora_server_limits::classic_columns;
    return ora_server_limits::column_limit(
        version, first_value(u"SELECT UPPER(VALUE) FROM V$PARAMETER WHERE NAME = 'max_columns'"));
  } catch (const ora_exception& e) {
    tk_log(2, "The column limit cannot be read (%s); tables keep to %d columns", e.message,
           ora_server_limits::classic_columns);
    return ora_server_limits::classic_columns;
  }
}

std::u16string ora_limits_reader::first_value(const std::u16string& query) {
  ora_stmt statement(engine_);
  statement.prepare(query);
  std::u16string buffer(256, u'\0');
  sb2 indicator = 0;
  statement.define(1, buffer.data(), static_cast<sb4>(buffer.size() * 2), oci::sqlt_str, &indicator);
  if (statement.execute(1) == oci::no_data || indicator < 0) return {};
  return buffer.substr(0, buffer.find(u'\0'));
}
