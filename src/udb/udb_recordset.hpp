// A table, or the rows of a query, with a cursor over its records. A source
// is walked as: first(); while (!is_eof()) { get_item(); ...; next(); }
#pragma once

#include <memory>
#include <string>

#include "udb_indexes.hpp"
#include "udb_record.hpp"
#include "udb_record_writer.hpp"
#include "udb_schema.hpp"

class udb_recordset {
 public:
  explicit udb_recordset(std::u16string name, std::u16string second_text = {});
  virtual ~udb_recordset() = default;
  udb_recordset(const udb_recordset&) = delete;
  udb_recordset& operator=(const udb_recordset&) = delete;

  // Adds a record at the end, final when it returns; raises its error.
  virtual void append_record(const udb_record& record) = 0;
  // The writer a run hands this table's records to, borrowing the table.
  // By default each record goes alone through append_record.
  virtual std::unique_ptr<udb_record_writer> open_writer(const udb_write_options& options,
                                                         udb_write_sinks sinks);
  virtual void update();
  // The record under the cursor; valid until the cursor moves.
  virtual udb_record& get_item() = 0;
  virtual bool is_eof() { return true; }
  virtual bool has_second_text() const { return !second_text.empty(); }
  virtual void next() {}
  virtual void prev() {}
  virtual void first() {}

  // Adds an index unless one of that name exists; the first unique or
  // primary index added becomes the key index.
  void add_index(const udb_index& index);

  std::u16string second_text;
  std::u16string name;
  udb_schema schema;
  udb_indexes indexes;
  int key_index = -1;
};
