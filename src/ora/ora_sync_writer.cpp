#include "ora_sync_writer.hpp"

#include "ora_bind_column.hpp"
#include "ora_engine.hpp"
#include "ora_stmt.hpp"
#include "ora_table.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {

// Keys are kept as hex text of at most 4,000 digits.
constexpr std::size_t longest_key_bytes = 2000;

const char hex_digits[] = "0123456789abcdef";

void append_hex(std::string& out, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    out.push_back(hex_digits[bytes[i] >> 4]);
    out.push_back(hex_digits[bytes[i] & 15]);
  }
}

int hex_value(char c) { return c <= '9' ? c - '0' : c - 'a' + 10; }

std::string bytes_of_hex(const std::string& hex, std::size_t from, std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<char>(hex_value(hex[from + 2 * i]) << 4 | hex_value(hex[from + 2 * i + 1]));
  return bytes;
}

// FNV-1a with 128 bits: no two different rows a table holds are likely to
// meet (a chance of about 1 in 10^29 for a million rows).
class fnv128 {
 public:
  void add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
      state_ ^= bytes[i];
      state_ = (state_ << 88) + state_ * 0x13B;  // times the prime 2^88 + 0x13B
    }
  }
  std::string hex() const {
    std::string out;
    for (int shift = 120; shift >= 0; shift -= 8) {
      const auto byte = static_cast<unsigned char>(state_ >> shift);
      append_hex(out, &byte, 1);
    }
    return out;
  }

 private:
  unsigned __int128 state_ = (static_cast<unsigned __int128>(0x6C62272E07BB0142ULL) << 64) | 0x62B821756295C58DULL;
};

// A cell as key or digest input: its kind, its length and its bytes, so
// that no two different cells give the same run of bytes.
template <typename Sink>
void feed_cell(Sink&& sink, const ora_cell& cell) {
  const auto kind = static_cast<unsigned char>(cell.what);
  const auto length = static_cast<std::uint32_t>(cell.what == ora_cell::kind::null ? 0 : cell.bytes.size());
  const unsigned char size[4] = {static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
                                 static_cast<unsigned char>(length >> 16), static_cast<unsigned char>(length >> 24)};
  sink(&kind, 1);
  sink(size, 4);
  if (length) sink(cell.bytes.data(), length);
}

// The loader's own sinks: its committed rows are split into inserted and
// updated ones before they reach the run.
udb_write_sinks with_inserted(udb_write_sinks sinks, std::function<void(std::uint64_t)> inserted) {
  sinks.inserted = std::move(inserted);
  return sinks;
}

}  // namespace

ora_sync_writer::ora_sync_writer(ora_table& table, ora_journal* journal, const udb_write_options& options,
                                 udb_write_sinks sinks)
    : ora_batch_loader(table, journal, options,
                       with_inserted(sinks, [this](std::uint64_t rows) { split_committed(rows); })),
      sync_sinks_(std::move(sinks)),
      key_fields_(options.sync_key),
      removes_(options.sync_removes),
      resend_(options.sync_resend),
      counting_(options.sync_count_only),
      digests_(table.engine(), table.sql_name()) {
  commit_with_batch_ = false;  // the digests join the rows' transaction
  overlap_ = false;            // and are made of the batch's cells
  bulk_.merge_by(key_fields_);
  if (!counting_) digests_.prepare();
  // Counting, a schema no sync wrote to has no digest table yet.
  if (!counting_ || digests_.exist()) kept_ = digests_.read();
  tk_log(3, "Sync of %s: %I64u digests kept", table.sql_name(), kept_.size());
  check_rows_against_digests();
}

// Rows added or removed in Oracle since the last sync (by hand, or a load
// in another mode) would hide behind digests that say nothing changed: when
// the counts differ every record is sent again.
void ora_sync_writer::check_rows_against_digests() {
  if (resend_) return;
  const std::uint64_t rows = digests_.rows_in_table();
  if (rows == kept_.size()) return;
  if (kept_.empty()) {
    // Loaded by another mode: every record is sent anyway, but which rows
    // are gone from the file cannot be known without the digests.
    sync_sinks_.warned(tk_format("the Oracle table holds %I64u rows that no sync wrote: every record is merged "
                                 "(counted as inserted, though rows of the same key are updated), and rows whose "
                                 "records are no longer in the file stay; from the next sync on, removed records "
                                 "are removed",
                                 rows),
                       0);
    return;
  }
  resend_ = true;
  sync_sinks_.warned(tk_format("the Oracle table holds %I64u rows where the last sync left %I64u: its rows were "
                               "changed outside the sync, so every record is sent again",
                               rows, kept_.size()),
                     0);
}

std::string ora_sync_writer::key_of_row() const {
  std::string key;
  for (std::size_t field : key_fields_) {
    const int k = bulk_.bound_column_of_field(field);
    if (k < 0) throw tk_exception("A key field of the sync is not a column of the table", tk_exception::internal_level);
    const ora_cell& cell = bulk_.row()[static_cast<std::size_t>(k)];
    if (cell.what == ora_cell::kind::null) return {};
    feed_cell([&](const void* data, std::size_t size) { append_hex(key, data, size); }, cell);
  }
  return key;
}

std::string ora_sync_writer::digest_of_row() const {
  fnv128 digest;
  for (const ora_cell& cell : bulk_.row())
    feed_cell([&](const void* data, std::size_t size) { digest.add(data, size); }, cell);
  return digest.hex();
}

// A key met before in this run was sent (or is about to be) with another
// record's values: the later record is sent, whatever the digests say.
bool ora_sync_writer::unchanged(const std::string& key, const std::string& digest, std::uint64_t number) {
  const auto [seen, first] = seen_.emplace(key, number);
  if (!first) {
    sync_sinks_.warned(tk_format("the record has the key of record #%I64u; the later record's values are kept",
                                 seen->second),
                       number);
    seen->second = number;
    return false;
  }
  if (resend_) return false;
  const auto kept = kept_.find(key);
  return kept != kept_.end() && kept->second == digest;
}

void ora_sync_writer::append(const udb_record& record, std::uint64_t number) {
  std::string key, digest;
  try {
    bulk_.fill(record);
    key = key_of_row();
    if (key.empty()) throw tk_exception("a field of the sync key is empty: the record has no key and is not synced");
    if (key.size() > 2 * longest_key_bytes)
      throw tk_exception("the record's key is longer than a sync keeps (2,000 bytes): it is not synced");
    digest = digest_of_row();
  } catch (const tk_exception& e) {
    if (e.level == tk_exception::internal_level) throw;
    return sync_sinks_.failed(e, number);
  }
  if (unchanged(key, digest, number)) return sync_sinks_.unchanged(1);
  queue_row(number, std::move(key), std::move(digest));
}

void ora_sync_writer::queue_row(std::uint64_t number, std::string key, std::string digest) {
  if (counting_) return (kept_.count(key) ? sync_sinks_.updated : sync_sinks_.inserted)(1);
  if (!bulk_.push(number)) {
    run(1);
    if (bulk_.oversized())
      return sync_sinks_.failed(tk_exception("a memo of the record is larger than a bound value carries (2 GB): "
                                             "it is not synced"),
                                number);
    bulk_.push(number);  // an empty batch takes any other row
  }
  const bool is_new = kept_.find(key) == kept_.end();
  queued_.push_back({number, std::move(key), std::move(digest), is_new});
  if (bulk_.full()) run();
}

// The rows Oracle took get their digests in the same transaction.
void ora_sync_writer::batch_ran(const std::vector<ora_bulk_insert::row_error>& errors) {
  std::size_t next_error = 0;
  for (const queued& row : queued_) {
    // Batch errors come in row order, each with the record number it was queued with.
    if (next_error < errors.size() && errors[next_error].tag == row.record) {
      ++next_error;
      continue;
    }
    digests_.put(row.key, row.digest);
    ++(row.is_new ? new_done_ : changed_done_);
  }
  queued_.clear();
  digests_.run();
}

void ora_sync_writer::split_committed(std::uint64_t rows) {
  if (rows != new_done_ + changed_done_)
    tk_log(3, "Sync: %I64u rows committed, %I64u new and %I64u changed counted", rows, new_done_, changed_done_);
  sync_sinks_.inserted(new_done_);
  sync_sinks_.updated(changed_done_);
  new_done_ = changed_done_ = 0;
}

void ora_sync_writer::finish() {
  if (counting_) {
    if (removes_) sync_sinks_.removed(absent_keys().size());
    return;
  }
  run();
  if (removes_) remove_absent();
  commit_anyway();
}

// The keys of the last sync that no record of this run gave. A source that
// gave no record at all removes nothing: an empty or unreadable file must
// not empty the table.
std::vector<const std::string*> ora_sync_writer::absent_keys() {
  std::vector<const std::string*> gone;
  for (const auto& [key, digest] : kept_)
    if (!seen_.count(key)) gone.push_back(&key);
  if (gone.empty() || !seen_.empty()) return gone;
  sync_sinks_.warned(tk_format("no record of the table was synced, so none of the %I64u rows of the last sync is "
                               "removed; convert the table with --mode=0 (overwrite) to empty it",
                               gone.size()),
                     0);
  return {};
}

// The rows whose keys no record of this run gave, and their digests.
void ora_sync_writer::remove_absent() {
  const std::vector<const std::string*> gone = absent_keys();
  if (gone.empty()) return;
  std::vector<ora_bind_column> columns;
  std::u16string where;
  for (std::size_t i = 0; i < key_fields_.size(); ++i) {
    const ora_bind_column& bound = bulk_.bound_columns()[static_cast<std::size_t>(bulk_.bound_column_of_field(key_fields_[i]))];
    columns.emplace_back(bound.position(), bound.kind(), table_.is_national(bound.position()));
    where += (i ? u" AND " : u"") + ora_quoted(table_.schema[bound.position()].name) +
             tk_wformat(u" = :%d", static_cast<int>(i + 1));
  }
  for (const std::string* key : gone) {
    std::size_t at = 0;
    for (ora_bind_column& column : columns) {
      const std::string head = bytes_of_hex(*key, at, 5);
      const std::size_t length = static_cast<unsigned char>(head[1]) | static_cast<unsigned char>(head[2]) << 8 |
                                 static_cast<unsigned char>(head[3]) << 16 |
                                 static_cast<std::size_t>(static_cast<unsigned char>(head[4])) << 24;
      column.add(bytes_of_hex(*key, at + 10, length));
      at += 10 + 2 * length;
    }
    digests_.remove(*key);
  }
  ora_stmt erase(table_.engine());
  erase.prepare(u"DELETE FROM " + table_.sql_name() + u" WHERE " + where);
  for (std::size_t i = 0; i < columns.size(); ++i) columns[i].bind(erase, tk_wformat(u":%d", static_cast<int>(i + 1)));
  erase.execute(static_cast<ub4>(gone.size()));
  ub4 removed = 0;
  table_.engine().check_err(table_.engine().oci().OCIAttrGet(erase.handle(), oci::htype_stmt, &removed, nullptr,
                                                             oci::attr_row_count, table_.engine().error_handle()),
                            "OCIAttrGet");
  digests_.run();
  sync_sinks_.removed(removed);
}
