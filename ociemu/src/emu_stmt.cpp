#include "emu_stmt.hpp"

#include <cstring>
#include <functional>

#include "emu_client_buffer.hpp"
#include "emu_ddl_executor.hpp"
#include "emu_insert_executor.hpp"
#include "emu_merge_executor.hpp"
#include "emu_merge_parser.hpp"
#include "emu_owner_resolver.hpp"
#include "emu_round_trips.hpp"
#include "emu_token_cursor.hpp"
#include "emu_sql_rewriter.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

// The binds of one iteration of an execute.
class iteration_binds : public emu_bind_source {
 public:
  iteration_binds(emu_stmt& stmt, ub4 iteration) : stmt_(stmt), iteration_(iteration) {}
  emu_value value(const std::u16string& name, std::size_t occurrence) override {
    return stmt_.bind_value(name, occurrence, iteration_);
  }

 private:
  emu_stmt& stmt_;
  ub4 iteration_;
};

std::size_t count_params(const std::vector<emu_expr>& exprs) {
  std::size_t n = 0;
  for (const auto& e : exprs) n += (e.k == emu_expr::kind::param) + count_params(e.args);
  return n;
}

sb2 indicator_for_length(ub4 length) { return length > 32767 ? -2 : static_cast<sb2>(length); }

}  // namespace

emu_stmt::~emu_stmt() = default;

void emu_stmt::prepare(const std::u16string& text) {
  sql = text;
  query.reset();
  insert_.reset();
  merge_.reset();
  parse_error.reset();
  owner.clear();
  owner_resolved = false;
  executed = false;
  row_count = 0;
  rows_fetched = 0;
  try {
    tokens = tokenize(sql);
    kind = classify(tokens);
  } catch (const emu_error& e) {
    tokens.clear();
    kind = statement_kind::unknown;
    parse_error = e;
  }
}

emu_bind* emu_stmt::bind(const std::u16string& name, ub4 position) {
  for (auto& b : binds) {
    if ((!name.empty() && b->name == name) || (name.empty() && b->name.empty() && b->position == position)) {
      b = std::make_unique<emu_bind>(env);
      b->name = name;
      b->position = position;
      return b.get();
    }
  }
  binds.push_back(std::make_unique<emu_bind>(env));
  binds.back()->name = name;
  binds.back()->position = position;
  return binds.back().get();
}

emu_define* emu_stmt::define(ub4 position) {
  for (auto& d : defines) {
    if (d->position == position) {
      d = std::make_unique<emu_define>(env);
      d->position = position;
      return d.get();
    }
  }
  defines.push_back(std::make_unique<emu_define>(env));
  defines.back()->position = position;
  return defines.back().get();
}

emu_bind* emu_stmt::find_bind(const std::u16string& name, std::size_t occurrence) {
  for (auto& b : binds)
    if (!b->name.empty() && b->name == name) return b.get();
  for (auto& b : binds)
    if (b->name.empty() && b->position == occurrence + 1) return b.get();
  return nullptr;
}

// Bound text travels in the database character set unless the bind says it is national
// (OCI_ATTR_CHARSET_FORM = SQLCS_NCHAR): only then does an NVARCHAR2 or NCLOB column
// receive the letters that set lacks.
emu_value emu_stmt::bind_value(const std::u16string& name, std::size_t occurrence, ub4 iteration) {
  emu_bind* b = find_bind(name, occurrence);
  if (!b) throw ora_error(1008);
  emu_value value = client_value(*b, iteration);
  if (value.kind == value_kind::text && b->charset_form != SQLCS_NCHAR)
    value.text = connection->settings().stored(value.text);
  value.bound = true;
  return value;
}

emu_value emu_stmt::client_value(emu_bind& bind, ub4 iteration) {
  emu_bind* b = &bind;
  if (b->mode & OCI_DATA_AT_EXEC) {
    if (!b->in_callback) return emu_value::null();
    void* buffer = nullptr;
    ub4 length = 0;
    ub1 piece = OCI_ONE_PIECE;
    void* indicator = nullptr;
    if (b->in_callback(b->in_context, reinterpret_cast<OCIBind*>(static_cast<emu_handle*>(b)),
                       iteration, 0, &buffer, &length, &piece, &indicator) != OCI_CONTINUE)
      throw ora_error(24343);
    if (!buffer || (indicator && *static_cast<sb2*>(indicator) < 0)) return emu_value::null();
    return emu_client_buffer::read(*env, buffer, length, b->dty);
  }
  if (b->indicators && static_cast<sb2*>(b->indicators)[iteration] < 0) return emu_value::null();
  if (!b->value) return emu_value::null();
  const std::size_t element = element_size(b->dty, b->value_size);
  const auto* data = static_cast<const char*>(b->value) + element * iteration;
  const std::size_t bytes = b->lengths ? b->lengths[iteration]
                                       : (b->value_size > 0 ? static_cast<std::size_t>(b->value_size) : 0);
  return emu_client_buffer::read(*env, data, bytes, b->dty);
}

sword emu_stmt::execute(emu_svcctx& svc, emu_error_handle& err, ub4 iters, ub4 rowoff, ub4 mode) {
  err.clear();
  err.batch.clear();
  batch_errors.clear();
  if (parse_error) throw *parse_error;
  connection = &svc.connection();
  const auto delay = connection->round_trip();
  const bool dml = kind == statement_kind::insert || kind == statement_kind::update ||
                   kind == statement_kind::delete_ || kind == statement_kind::merge;
  connection->wait_outside_locks(delay + (dml && iters > rowoff ? server_row_time(iters - rowoff) : delay.zero()));
  connection->catalog().refresh_if_changed();
  if (!owner_resolved) {
    owner = emu_owner_resolver::strip(tokens, connection->db());
    owner_resolved = true;
  }
  connection->settings().store_identifiers(tokens);
  if ((mode & OCI_BATCH_ERRORS) && !dml) throw ora_error(28714);
  switch (kind) {
    case statement_kind::select: return execute_query(svc, err, iters, mode);
    case statement_kind::insert: case statement_kind::update: case statement_kind::delete_:
      return execute_dml(svc, err, iters, rowoff, mode);
    case statement_kind::merge: return execute_merge(err, iters, rowoff, mode);
    case statement_kind::create: case statement_kind::drop: case statement_kind::alter:
      return execute_ddl(svc, err);
    case statement_kind::commit: connection->commit(); return OCI_SUCCESS;
    case statement_kind::rollback: connection->rollback(); return OCI_SUCCESS;
    default: throw ora_error(900);
  }
}

sword emu_stmt::execute_query(emu_svcctx&, emu_error_handle& err, ub4 iters, ub4 mode) {
  query.reset();
  query = std::make_unique<emu_query>(*connection, tokens);
  executed = true;
  rows_fetched = 0;
  row_count = 0;
  if (mode & (OCI_DESCRIBE_ONLY | OCI_PARSE_ONLY)) return OCI_SUCCESS;
  if (query->for_update()) connection->begin();
  iteration_binds binds(*this, 0);
  query->open(binds);
  if (iters == 0) return OCI_SUCCESS;
  return fetch(err, iters);
}

sword emu_stmt::run_rows(emu_error_handle& err, ub4 iters, ub4 rowoff, ub4 mode,
                         const std::function<void(ub4)>& row) {
  for (ub4 i = rowoff; i < iters; ++i) {
    try {
      try {
        // SQLite may roll the whole transaction back when a row meets a full
        // disk; the rows after it must still wait for the client's commit or
        // rollback, never commit on their own.
        connection->begin();
        row(i);
      } catch (const emu_sqlite_error& e) {
        throw emu_query::translate(e);
      }
    } catch (const emu_error& e) {
      if (!(mode & OCI_BATCH_ERRORS)) {
        err.set(e);
        return OCI_ERROR;
      }
      batch_errors.push_back({i, e});
    }
  }
  if (!batch_errors.empty()) {
    err.set(ora_error(24381));
    err.batch = batch_errors;
    return OCI_SUCCESS_WITH_INFO;  // nothing is committed when rows failed
  }
  if (mode & OCI_COMMIT_ON_SUCCESS) connection->commit();
  return OCI_SUCCESS;
}

// Oracle Database Error Messages, ORA-24816: a bind of length potentially over 4000 bytes
// that follows a bind for a LOB or LONG column is refused ("re-order the binds so that the
// LONG bind or LOB binds are all at the end"). The LOB Developer's Guide lets one statement
// carry several binds over 4000 bytes into LOB columns, so those may follow one another; a
// bind of at most 4000 bytes into a LOB column counts as a LOB bind all the same.
void emu_stmt::check_bind_order(const emu_insert_executor& executor) {
  constexpr std::size_t long_bind = 4000;
  bool lob_bind_seen = false, every_lob_bind_long = true;
  for (const auto& column : executor.bound_columns()) {
    const emu_bind* b = find_bind(column.name, column.occurrence);
    if (!b) continue;  // ORA-01008 when the row is read
    const bool is_long = b->potential_size() > long_bind;
    const bool into_lob = column.type->is_lob() || column.type->is_long();
    if (is_long && lob_bind_seen && !(into_lob && every_lob_bind_long)) throw ora_error(24816);
    if (into_lob) {
      lob_bind_seen = true;
      every_lob_bind_long = every_lob_bind_long && is_long;
    }
  }
}

sword emu_stmt::execute_dml(emu_svcctx&, emu_error_handle& err, ub4 iters, ub4 rowoff, ub4 mode) {
  if (iters == 0) throw ora_error(24333);
  executed = true;
  row_count = 0;
  connection->begin();
  if (kind == statement_kind::insert) {
    if (!insert_) {
      emu_token_cursor cursor(sql, tokens);
      insert_ = std::make_unique<emu_insert>(emu_parser(cursor).insert());
    }
    connection->lock_table(insert_->table);
    emu_insert_executor executor(*connection, *insert_);
    check_bind_order(executor);
    return run_rows(err, iters, rowoff, mode, [&](ub4 i) {
      call_in_callbacks(i);
      iteration_binds binds(*this, i);
      const auto values = executor.run(binds);
      ++row_count;
      last_rowid = executor.last_rowid();
      deliver_returning(*insert_, i, values, executor);
    });
  }
  if (const auto table = changed_table()) connection->lock_table(*table);
  const auto rewritten = emu_sql_rewriter::rewrite(tokens);
  connection->catalog().check_exact_names(tokens);
  std::unique_ptr<emu_sqlite_statement> statement;
  try {
    statement = std::make_unique<emu_sqlite_statement>(connection->db().handle(), rewritten.sql);
  } catch (const emu_sqlite_error& e) {
    throw emu_query::translate(e);
  }
  return run_rows(err, iters, rowoff, mode, [&](ub4 i) {
    statement->reset();
    for (std::size_t p = 0; p < rewritten.params.size(); ++p)
      statement->bind(static_cast<int>(p + 1), untyped_cell(bind_value(rewritten.params[p], p, i)));
    statement->step();
    row_count += static_cast<ub8>(connection->db().changes());
  });
}

// The table an UPDATE or DELETE changes ("UPDATE t", "DELETE [FROM] t"), the owner taken
// out already; none when the statement does not read so (SQLite then refuses it).
std::optional<std::u16string> emu_stmt::changed_table() const {
  emu_token_cursor cursor(sql, tokens);
  if (!cursor.accept_word("UPDATE")) {
    if (!cursor.accept_word("DELETE")) return std::nullopt;
    cursor.accept_word("FROM");
  }
  try {
    return cursor.identifier();
  } catch (const emu_error&) {
    return std::nullopt;
  }
}

// The row count of an array MERGE is the rows it merged, inserted or updated, over all
// iterations (Oracle Call Interface Programmer's Guide, OCI_ATTR_ROW_COUNT).
sword emu_stmt::execute_merge(emu_error_handle& err, ub4 iters, ub4 rowoff, ub4 mode) {
  if (iters == 0) throw ora_error(24333);
  executed = true;
  row_count = 0;
  connection->begin();
  connection->catalog().check_exact_names(tokens);
  if (!merge_) {
    emu_token_cursor cursor(sql, tokens);
    merge_ = std::make_unique<emu_merge>(emu_merge_parser(cursor).merge());
  }
  connection->lock_table(merge_->table);
  emu_merge_executor executor(*connection, *merge_, tokens);
  return run_rows(err, iters, rowoff, mode, [&](ub4 i) {
    iteration_binds binds(*this, i);
    row_count += executor.run(binds);
  });
}

sword emu_stmt::execute_ddl(emu_svcctx&, emu_error_handle& err) {
  {
    emu_token_cursor session(sql, tokens);
    if (session.accept_word("ALTER") && session.accept_word("SESSION")) return alter_session(session);
  }
  emu_token_cursor cursor(sql, tokens);
  const emu_ddl statement = emu_parser(cursor).ddl();
  executed = true;
  const auto warning = emu_ddl_executor(*connection, owner).run(statement);
  if (!warning) return OCI_SUCCESS;
  err.set(*warning);
  return OCI_SUCCESS_WITH_INFO;
}

// ALTER SESSION SET DDL_LOCK_TIMEOUT = n (0 to 1,000,000 seconds); no other setting.
sword emu_stmt::alter_session(emu_token_cursor& cursor) {
  cursor.expect_word("SET", 922);
  cursor.expect_word("DDL_LOCK_TIMEOUT", 2248);
  cursor.expect_symbol("=", 922);
  const int seconds = cursor.integer(2097);
  if (seconds < 0 || seconds > 1000000) throw ora_error(2097);
  connection->set_ddl_lock_timeout(seconds);
  executed = true;
  return OCI_SUCCESS;
}

void emu_stmt::call_in_callbacks(ub4 iteration) {
  // Placeholders that only receive RETURNING values are still asked for their input.
  if (!insert_) return;
  const std::size_t base = count_params(insert_->values);
  for (std::size_t k = 0; k < insert_->into.size(); ++k) {
    emu_bind* b = find_bind(insert_->into[k], base + k);
    if (b && (b->mode & OCI_DATA_AT_EXEC) && b->in_callback) bind_value(insert_->into[k], base + k, iteration);
  }
}

void emu_stmt::deliver_returning(const emu_insert& insert, ub4 iteration,
                                 const std::vector<emu_value>& values,
                                 const emu_insert_executor& executor) {
  const std::size_t base = count_params(insert.values);
  for (std::size_t k = 0; k < insert.into.size(); ++k) {
    emu_bind* b = find_bind(insert.into[k], base + k);
    if (!b) throw ora_error(1008);
    const auto lob = executor.returned_lob(k);
    write_out_bind(*b, iteration, values[k], lob ? &*lob : nullptr);
  }
}

void emu_stmt::write_out_bind(emu_bind& b, ub4 iteration, const emu_value& value,
                              const emu_lob_source* lob) {
  const bool locator = lob && (b.dty == SQLT_CLOB || b.dty == SQLT_BLOB);
  if (b.mode & OCI_DATA_AT_EXEC) {
    b.rows_returned = 1;
    if (!b.out_callback) return;
    void* buffer = nullptr;
    ub4* length = nullptr;
    ub1 piece = OCI_ONE_PIECE;
    void* indicator = nullptr;
    ub2* code = nullptr;
    if (b.out_callback(b.out_context, reinterpret_cast<OCIBind*>(static_cast<emu_handle*>(&b)),
                       iteration, 0, &buffer, &length, &piece, &indicator, &code) != OCI_CONTINUE)
      throw ora_error(24343);
    auto* ind = static_cast<sb2*>(indicator);
    if (locator && buffer) {
      fill_locator(buffer, *lob);
      if (ind) *ind = 0;
      return;
    }
    if (value.is_null() || !buffer) {
      if (ind) *ind = -1;
      if (length) *length = 0;
      return;
    }
    const std::size_t capacity = length && *length ? *length : static_cast<std::size_t>(std::max(b.value_size, 0));
    const auto r = emu_client_buffer::write(*env, value, b.dty, buffer, capacity);
    if (length) *length = r.length;
    if (ind) *ind = r.truncated ? indicator_for_length(r.full_length) : 0;
    if (code) *code = r.truncated ? 1406 : 0;
    return;
  }
  auto* ind = static_cast<sb2*>(b.indicators);
  if (locator && b.value) {
    fill_locator(static_cast<char*>(b.value) + sizeof(void*) * iteration, *lob);
    if (ind) ind[iteration] = 0;
    return;
  }
  if (value.is_null() || !b.value) {
    if (ind) ind[iteration] = -1;
    return;
  }
  const std::size_t element = element_size(b.dty, b.value_size);
  const auto r = emu_client_buffer::write(*env, value, b.dty, static_cast<char*>(b.value) + element * iteration,
                                          static_cast<std::size_t>(std::max(b.value_size, 0)));
  if (b.lengths) b.lengths[iteration] = static_cast<ub2>(r.length);
  if (ind) ind[iteration] = r.truncated ? indicator_for_length(r.full_length) : 0;
  if (b.return_codes) b.return_codes[iteration] = r.truncated ? 1406 : 0;
}

sword emu_stmt::fetch(emu_error_handle& err, ub4 nrows) {
  if (!query || !executed) throw ora_error(24338);
  // Oracle refuses rows with nowhere to go, also at execute with iterations, even
  // when the query has none to give.
  if (defines.empty() && nrows > 0) throw ora_error(24374);
  ub4 delivered = 0;
  bool truncated = false;
  while (delivered < nrows && query->next()) {
    for (const auto& d : defines) {
      if (d->position == 0 || d->position > query->columns().size()) throw ora_error(1007);
      if (!deliver_column(*d, delivered, d->position - 1, truncated)) {
        rows_fetched = delivered;
        throw ora_error(1405);
      }
    }
    ++delivered;
  }
  rows_fetched = delivered;
  row_count += delivered;
  if (delivered < nrows) return OCI_NO_DATA;
  if (!truncated) return OCI_SUCCESS;
  err.set(ora_error(1406));
  return OCI_SUCCESS_WITH_INFO;
}

bool emu_stmt::deliver_column(const emu_define& d, ub4 index, std::size_t column, bool& truncated) {
  if (!d.value) return true;  // a define without a buffer receives nothing
  const emu_value value = query->value(column);
  const std::size_t element = element_size(d.dty, d.value_size);
  void* slot = static_cast<char*>(d.value) + element * index;
  sb2* ind = d.indicators ? d.indicators + index : nullptr;
  const bool lob = d.dty == SQLT_CLOB || d.dty == SQLT_BLOB;
  if (lob ? value.kind == value_kind::null : value.is_null()) {
    if (!ind) return false;
    *ind = -1;
    if (d.return_codes) d.return_codes[index] = 0;
    return true;
  }
  if (lob) {
    fill_locator(slot, query_lob(column));
    if (ind) *ind = 0;
    return true;
  }
  const auto r = emu_client_buffer::write(*env, value, d.dty, slot, static_cast<std::size_t>(std::max(d.value_size, 0)));
  if (d.lengths) d.lengths[index] = static_cast<ub2>(r.length);
  if (d.return_codes) d.return_codes[index] = r.truncated ? 1406 : 0;
  if (ind) *ind = r.truncated ? indicator_for_length(r.full_length) : 0;
  truncated = truncated || r.truncated;
  return true;
}

void emu_stmt::fill_locator(void* slot, const emu_lob_source& source) {
  void* pointer = nullptr;
  std::memcpy(&pointer, slot, sizeof pointer);
  auto* lob = handle_cast<emu_lob>(pointer, OCI_DTYPE_LOB);
  if (!lob) throw ora_error(22275);
  lob->point_at(source, *connection);
}

emu_lob_source emu_stmt::query_lob(std::size_t column) const {
  const emu_select_column& c = query->columns()[column];
  emu_lob_source source;
  source.kind = c.type.is_lob() ? c.type.kind : type_kind::clob;
  source.table = c.table;
  source.column = c.column;
  source.row = query->row_of(column);
  if (source.row < 0) source.snapshot = query->value(column);
  source.locked = query->for_update();
  return source;
}

}  // namespace ociemu
