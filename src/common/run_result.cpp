#include "run_result.hpp"

#include "tk_format.hpp"
#include "tk_printable_name.hpp"

std::string run_result::partial_table_note() const {
  if (!stopped_table || *stopped_table >= tallies.size()) return {};
  const table_tally& tally = tallies[*stopped_table];
  if (tally.inserted == 0) return {};
  return tk_format(
      "Table %s is partly loaded: %I64u of its %I64u records read are committed in the Oracle table %s. A run with "
      "\"Resume an interrupted run\" (vpxagent --resume) goes on after the last committed record.",
      tk_printable_name(tally.table), tally.inserted, tally.read, tk_printable_name(tally.target));
}
