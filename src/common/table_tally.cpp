#include "table_tally.hpp"

#include "tk_format.hpp"
#include "tk_printable_name.hpp"

std::string table_tally::line() const {
  std::string text =
      synced ? tk_format("%s: read %I64u, inserted %I64u, updated %I64u, deleted %I64u, unchanged %I64u, failed %I64u, "
                         "skipped as deleted %I64u, warnings %I64u",
                         tk_printable_name(table), read, inserted, updated, removed, unchanged, failed,
                         deleted_skipped, warnings)
             : tk_format("%s: read %I64u, inserted %I64u, failed %I64u, skipped as deleted %I64u, warnings %I64u",
                         tk_printable_name(table), read, inserted, failed, deleted_skipped, warnings);
  if (result == outcome::failed) text += " (table failed)";
  if (result == outcome::skipped) text += " (skipped)";
  if (result == outcome::cancelled) text += " (cancelled)";
  return text;
}
