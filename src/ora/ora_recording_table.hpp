// A table of the recording target: it has the schema the run would have
// created (or, for an existing table, the one the catalog describes) and
// takes the rows appended to it without keeping them.
#pragma once

#include "udb_recordset.hpp"

class ora_recording_table : public udb_recordset {
 public:
  ora_recording_table(const std::u16string& name, const udb_schema& columns);

  void append_record(const udb_record&) override {}
  // A recording table has no rows to read.
  udb_record& get_item() override;
};
