// The rows of one SELECT as a read-only recordset: the columns are
// described when it is initialised, then fetched one row at a time, all in
// the session given.
#pragma once

#include <memory>
#include <vector>

#include "ora_record.hpp"
#include "ora_stmt.hpp"
#include "ora_type.hpp"
#include "udb_recordset.hpp"

class ora_query_results : public udb_recordset {
 public:
  // Described and executed at once (catalog reads).
  ora_query_results(ora_engine& engine, ub4 column_count, const std::u16string& select_text);
  // Initialised later by the subclass.
  ora_query_results(ora_engine& engine, std::u16string name, std::u16string query_text);
  ~ora_query_results() override;

  // Describes `count` columns (0: as many as the statement has), defines
  // them and executes the statement. A second call is an internal error.
  void initialize(ub4 count, const std::u16string& select_text);

  void append_record(const udb_record& record) override;
  udb_record& get_item() override;
  // Fetches the next row; true when there is none.
  bool is_eof() override;
  // The next row's record, or null at the end.
  ora_record* next_record();
  // The session the rows are read in.
  ora_engine& engine() const { return statement_.engine(); }

 protected:
  bool fetch_row();

  bool fetched_ = false;
  ub4 column_count_ = 0;
  bool initialized_ = false;
  ora_stmt statement_;
  std::vector<std::unique_ptr<ora_type>> columns_;
  std::unique_ptr<ora_record> current_;

 private:
  void describe(ub4 count, const std::u16string& select_text);
};
