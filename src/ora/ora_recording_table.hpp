// A table of the recording target: it has the schema the run would have
// created (or, for an existing table, the one the catalog describes) and
// takes the rows appended to it without keeping them. A sync of an
// existing table counts, against the digests of the last sync, the rows it
// would insert, update and remove.
#pragma once

#include <memory>

#include "udb_recordset.hpp"

class ora_table;

class ora_recording_table : public udb_recordset {
 public:
  ora_recording_table(const std::u16string& name, const udb_schema& columns);
  // A table the connected schema holds, as the catalog describes it;
  // `widened`: the run would add columns to it, so that a sync would send
  // every record again to fill them.
  ora_recording_table(const std::u16string& name, std::unique_ptr<ora_table> existing, bool widened);
  ~ora_recording_table() override;

  std::unique_ptr<udb_record_writer> open_writer(const udb_write_options& options, udb_write_sinks sinks) override;

  void append_record(const udb_record&) override {}
  // A recording table has no rows to read.
  udb_record& get_item() override;

 private:
  std::unique_ptr<ora_table> existing_;
  bool widened_ = false;
};
