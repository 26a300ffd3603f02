#include "udb_memory_sync_writer.hpp"

#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "udb_memory_journal.hpp"
#include "udb_record.hpp"

namespace {

// A value as its kind, its length and its bytes (or its text's UTF-16
// units), so that no two different values give the same run of bytes.
void append_value(std::string& out, const ole_variant& value) {
  const VARTYPE kind = value.get_type();
  std::string bytes;
  if (ole_variant::is_binary(kind)) {
    const std::uint8_t* data = nullptr;
    const std::size_t size = value.get_bytes(&data);
    bytes.assign(reinterpret_cast<const char*>(data), size);
  } else if (kind != VT_EMPTY && kind != VT_NULL) {
    for (const char16_t unit : value.to_wstring()) {
      bytes.push_back(static_cast<char>(unit & 0xFF));
      bytes.push_back(static_cast<char>(unit >> 8));
    }
  }
  out += std::to_string(kind) + ':' + std::to_string(bytes.size()) + ':' + bytes;
}

bool is_empty(const ole_variant& value) {
  const VARTYPE kind = value.get_type();
  if (kind == VT_EMPTY || kind == VT_NULL) return true;
  return !ole_variant::is_binary(kind) && value.to_wstring().empty();
}

template <typename Row>
std::string values_of(const Row& row, std::size_t size) {
  std::string out;
  for (std::size_t i = 0; i < size; ++i) append_value(out, row[i]);
  return out;
}

}  // namespace

udb_memory_sync_writer::udb_memory_sync_writer(udb_memory_table& table, udb_memory_table::contents& contents,
                                               udb_memory_journal* journal, const udb_write_options& options,
                                               udb_write_sinks sinks)
    : table_(table),
      contents_(contents),
      journal_(journal),
      sinks_(std::move(sinks)),
      key_fields_(options.sync_key),
      removes_(options.sync_removes),
      resend_(options.sync_resend) {
  check_rows_against_kept();
}

// Rows added or removed by another mode since the last sync would hide
// behind values that say nothing changed: every record is written again.
void udb_memory_sync_writer::check_rows_against_kept() {
  if (resend_ || contents_.rows.size() == contents_.synced.size()) return;
  resend_ = true;
  sinks_.warned(tk_format("the table holds %I64u rows where the last sync left %I64u: every record is sent again",
                          contents_.rows.size(), contents_.synced.size()),
                0);
}

template <typename Row>
std::string udb_memory_sync_writer::key_of(const Row& values) const {
  std::string key;
  for (const std::size_t field : key_fields_) {
    if (is_empty(values[field])) return {};
    append_value(key, values[field]);
  }
  return key;
}

void udb_memory_sync_writer::append(const udb_record& record, std::uint64_t number) {
  const std::string key = key_of(record);
  if (key.empty()) {
    reject(tk_exception("a field of the sync key is empty: the record has no key and is not synced"), number);
    return;
  }
  const auto [seen, first] = seen_.emplace(key, number);
  if (!first) {
    sinks_.warned(tk_format("the record has the key of record #%I64u; the later record's values are kept", seen->second),
                  number);
    seen->second = number;
  }
  const auto kept = contents_.synced.find(key);
  if (first && !resend_ && kept != contents_.synced.end() && kept->second == values_of(record, record.size())) {
    sinks_.unchanged(1);
  } else {
    write(record, key, number);
  }
  advance(number);
}

// A row of the key is replaced, else the record is appended.
void udb_memory_sync_writer::write(const udb_record& record, const std::string& key, std::uint64_t number) {
  try {
    for (std::vector<ole_variant>& row : contents_.rows) {
      if (key_of(row) != key) continue;
      for (std::size_t i = 0; i < record.size() && i < row.size(); ++i) row[i] = record[i];
      contents_.synced[key] = values_of(record, record.size());
      return sinks_.updated(1);
    }
    table_.append_record(record);
  } catch (const tk_exception& e) {
    if (e.level == tk_exception::internal_level) throw;
    return sinks_.failed(e, number);
  }
  contents_.synced[key] = values_of(record, record.size());
  sinks_.inserted(1);
}

void udb_memory_sync_writer::reject(const tk_exception& error, std::uint64_t number) {
  sinks_.failed(error, number);
  advance(number);
}

// A source that gave no record removes nothing: an empty or unreadable file
// must not empty the table.
void udb_memory_sync_writer::finish() {
  if (!removes_) return;
  std::uint64_t gone = 0;
  for (const auto& [key, values] : contents_.synced) gone += seen_.count(key) ? 0 : 1;
  if (gone == 0) return;
  if (seen_.empty()) {
    sinks_.warned(tk_format("no record of the table was synced, so none of the %I64u rows of the last sync is removed",
                            gone),
                  0);
    return;
  }
  std::erase_if(contents_.rows, [&](const std::vector<ole_variant>& row) { return !seen_.count(key_of(row)); });
  std::erase_if(contents_.synced, [&](const auto& kept) { return !seen_.count(kept.first); });
  sinks_.removed(gone);
}

void udb_memory_sync_writer::advance(std::uint64_t number) {
  if (journal_) journal_->advance(number);
}
