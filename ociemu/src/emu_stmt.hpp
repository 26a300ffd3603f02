// A statement handle: its text, binds and defines, and the execute and fetch logic.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "emu_handles.hpp"
#include "emu_lexer.hpp"
#include "emu_parser.hpp"

namespace ociemu {

class emu_insert_executor;
class emu_token_cursor;

struct emu_stmt : emu_handle {
  explicit emu_stmt(emu_env* e) : emu_handle(OCI_HTYPE_STMT, e) {}
  ~emu_stmt() override;

  void prepare(const std::u16string& sql);
  emu_bind* bind(const std::u16string& name, ub4 position);
  emu_define* define(ub4 position);

  sword execute(emu_svcctx& svc, emu_error_handle& err, ub4 iters, ub4 rowoff, ub4 mode);
  sword fetch(emu_error_handle& err, ub4 nrows);

  std::u16string sql;
  std::vector<emu_token> tokens;
  std::optional<emu_error> parse_error;  // raised at execute, where a server parses
  // The user the statement's first qualified name named (the objects it
  // creates are theirs), taken out of the tokens at the first execute.
  std::u16string owner;
  bool owner_resolved = false;
  statement_kind kind = statement_kind::unknown;
  std::vector<std::unique_ptr<emu_bind>> binds;
  std::vector<std::unique_ptr<emu_define>> defines;
  std::unique_ptr<emu_query> query;
  emu_connection* connection = nullptr;
  ub8 row_count = 0;
  ub4 rows_fetched = 0;
  ub4 prefetch_rows = 1;
  std::u16string last_rowid;
  std::vector<emu_error_handle::row_error> batch_errors;
  bool executed = false;

  emu_value bind_value(const std::u16string& name, std::size_t occurrence, ub4 iteration);
  emu_bind* find_bind(const std::u16string& name, std::size_t occurrence);
  // The value in the client's buffer for one iteration, as the client wrote it.
  emu_value client_value(emu_bind& b, ub4 iteration);

 private:
  sword execute_query(emu_svcctx& svc, emu_error_handle& err, ub4 iters, ub4 mode);
  sword execute_dml(emu_svcctx& svc, emu_error_handle& err, ub4 iters, ub4 rowoff, ub4 mode);
  sword execute_ddl(emu_svcctx& svc, emu_error_handle& err);
  sword execute_merge(emu_error_handle& err, ub4 iters, ub4 rowoff, ub4 mode);
  sword alter_session(emu_token_cursor& cursor);
  // ORA-24816 for binds in an order Oracle refuses.
  void check_bind_order(const emu_insert_executor& executor);
  std::optional<std::u16string> changed_table() const;
  sword run_rows(emu_error_handle& err, ub4 iters, ub4 rowoff, ub4 mode,
                 const std::function<void(ub4)>& row);
  void deliver_returning(const emu_insert& insert, ub4 iteration, const std::vector<emu_value>& values,
                         const emu_insert_executor& executor);
  void write_out_bind(emu_bind& b, ub4 iteration, const emu_value& value, const emu_lob_source* lob);
  bool deliver_row(ub4 index);  // false when a NULL met a define without an indicator
  bool deliver_column(const emu_define& d, ub4 index, std::size_t column, bool& truncated);
  void fill_locator(void* slot, const emu_lob_source& source);
  emu_lob_source query_lob(std::size_t column) const;
  void call_in_callbacks(ub4 iteration);
  std::unique_ptr<emu_insert> insert_;
  std::unique_ptr<emu_merge> merge_;
};

}  // namespace ociemu
