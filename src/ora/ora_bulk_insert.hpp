// Appends records to an Oracle table in batches: one prepared INSERT with
// bind variables, array binds of the pending rows, executed with batch
// errors so that a failing row costs only itself. Values are bound as data
// in forms no session setting changes: numbers as Oracle NUMBER bytes,
// dates as OCIDate, text as UTF-16 (national columns in the national
// form), memos and binary memos as long data after every other column.
// Nothing here commits, except relax() (DDL commits) and execute(true).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ora_bind_column.hpp"
#include "ora_cell.hpp"
#include "ora_exception.hpp"
#include "ora_stmt.hpp"

class ora_table;
class udb_field;
class udb_record;

class ora_bulk_insert {
 public:
  static constexpr std::size_t default_rows = 2000;
  static constexpr std::size_t default_bytes = 64u << 20;

  struct row_error {
    std::uint64_t tag;  // what add() was given with the row
    ora_exception error;
  };

  // Tables with a LONG column cannot take array binds of long values.
  static bool can_bind(const ora_table& table);

  // The most bytes of LOB data one bind carries: its size, with the four
  // bytes of its length, is an sb4 (2 GB - 1).
  static constexpr std::size_t largest_lob_bind = 0x7FFFFFFFu - 4;

  ora_bulk_insert(ora_table& table, std::size_t batch_rows = default_rows,
                  std::size_t batch_bytes = default_bytes, std::size_t largest_lob = largest_lob_bind);
  ~ora_bulk_insert();
  ora_bulk_insert(const ora_bulk_insert&) = delete;
  ora_bulk_insert& operator=(const ora_bulk_insert&) = delete;

  // Adds a record as a pending row. False, with nothing added, when the
  // batch holds rows and this one would take it past its byte cap: execute
  // first. A value that cannot be bound raises its error (nothing added).
  bool add(const udb_record& record, std::uint64_t tag) { return fill(record) && push(tag); }
  // The two halves of add(): the record's cells, made into row() (raises
  // as add() does), and then queued as a pending row (false as add()).
  // Between them a caller may look at the cells.
  bool fill(const udb_record& record);
  bool push(std::uint64_t tag);
  // The cells of the record filled last, one per bound column.
  const std::vector<ora_cell>& row() const { return row_; }
  const std::vector<ora_bind_column>& bound_columns() const { return columns_; }
  // The bound column (an index into row()) the record's field `field` fills; -1: none.
  int bound_column_of_field(std::size_t field) const;

  // From the first record on, rows are merged by the record fields `key`
  // instead of inserted: a row whose key the table holds is updated. Call
  // before the first add().
  void merge_by(std::vector<std::size_t> key) { merge_key_ = std::move(key); }
  // After add() said false: the record holds a LOB larger than a bind
  // carries, and must go by its locator (ora_table::append_record).
  bool oversized() const { return oversized_; }
  bool full() const;
  std::size_t pending() const { return tags_.size(); }
  // The tag of the last pending row; 0 when none.
  std::uint64_t last_tag() const { return tags_.empty() ? 0 : tags_.back(); }

  // Whether a pending row binds NULL to a NOT NULL column that may be
  // relaxed; relax() does so (DDL: it commits the open transaction).
  bool needs_relaxing() const;
  void relax();

  // Runs the pending rows as one array insert and forgets them. Returns the
  // rows that failed; raises ora_exception when the statement fails as a
  // whole (no row of it is inserted then). With `commit`, the same round
  // trip commits the transaction when no row failed; when rows failed,
  // nothing is committed and the others stay pending (Oracle's rule).
  std::vector<row_error> execute(bool commit = false);

  std::size_t reserved_bytes() const;

  // Prepares the statement a record like `record` needs, binding nothing.
  void prepare_for(const udb_record& record) {
    if (!statement_) prepare(record);
  }
  // Trades pending rows, bound columns and statement with `other`, a batch
  // of the same table: one is filled while the other runs.
  void swap_batch(ora_bulk_insert& other);

 private:
  void prepare(const udb_record& record);
  std::u16string insert_text() const;
  std::u16string merge_text() const;
  // The cell of a field for `column` into `out`, and whether a NULL there
  // needs the column's NOT NULL relaxed.
  void value_of(const ora_bind_column& column, const udb_field& field, bool& relax, ora_cell& out) const;
  std::vector<row_error> row_errors(std::size_t rows);
  void clear();

  ora_table& table_;
  std::size_t batch_rows_, batch_bytes_, largest_lob_;
  bool oversized_ = false;
  std::vector<int> field_of_column_;
  std::size_t record_size_ = 0;
  std::vector<ora_bind_column> columns_;  // LOB data last
  std::vector<bool> relax_;               // per bound column
  std::vector<std::uint64_t> tags_;
  // The row being added, reused from row to row: its cells, and whether
  // each NULL needs its column relaxed.
  std::vector<ora_cell> row_;
  std::vector<char> row_relax_;
  std::unique_ptr<ora_stmt> statement_;
  std::vector<std::size_t> merge_key_;  // record fields; empty: rows are inserted
  bool filled_ = false;  // row() holds a record's cells that push() may queue
};
