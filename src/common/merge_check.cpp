#include "merge_check.hpp"

#include "ora_fn_validator.hpp"
#include "ora_native_type.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "tk_reporter.hpp"

merge_check::merge_check(const udb_schema& source, const udb_schema& destination, bool uppercase,
                         tk_reporter& reporter)
    : source_(source), destination_(destination), uppercase_(uppercase), reporter_(reporter) {}

bool merge_check::kinds_conform(const t_ftd& source, const t_ftd& destination) {
  t_ftd unsized = source;
  // Text becomes a date only in the one width of date-and-time text.
  if (destination.vartype != VT_DATE) unsized.size = 0;
  return unsized.conform_to(destination);
}

// A DATE keeps whole seconds, a TIMESTAMP(n) n digits of them; T and @
// fields count milliseconds.
bool merge_check::drops_milliseconds(const t_ftd& source, const t_ftd& destination) {
  if (source.vartype != VT_DATE || source.reserved != 1 || destination.vartype != VT_DATE) return false;
  const std::u16string& declared = destination.native_type;
  if (declared == u"DATE") return true;
  const ora_native_type type = ora_native_type::parse(declared);
  return type.name == u"TIMESTAMP" && declared.find(u'(') != std::u16string::npos && type.precision < 3;
}

void merge_check::run(const std::string& table) const {
  // Records find their columns by these names (see ora_table): the same calls
  // give the same names.
  ora_fn_validator names(source_);
  for (std::size_t i = 0; i < source_.size(); ++i) {
    const t_ftd& column = source_[i];
    const std::u16string oracle_name = names.take_name(column.name, uppercase_);
    const int at = destination_.get_field_idx(oracle_name);
    if (at < 0) {
      reporter_.warn({table, 0, tk_printable_name_utf8(column.name),
                      "the Oracle table has no such column; its values are dropped"});
      continue;
    }
    const t_ftd& destination = destination_[static_cast<std::size_t>(at)];
    if (!kinds_conform(column, destination)) {
      tk_log(2, "Column %s cannot take the values of %s", oracle_name, column.name);
      throw tk_exception("The structure of data source does not conform to the destination table.");
    }
    if (drops_milliseconds(column, destination))
      reporter_.warn({table, 0, tk_printable_name_utf8(column.name),
                      tk_format("the Oracle column is a %s, which keeps no milliseconds: the timestamps of this "
                                "column arrive without them",
                                destination.native_type)});
  }
}
