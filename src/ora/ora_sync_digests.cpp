#include "ora_sync_digests.hpp"

#include "ora_bind_column.hpp"
#include "ora_engine.hpp"
#include "ora_exception.hpp"
#include "ora_stmt.hpp"
#include "tk_logger.hpp"

namespace {

constexpr int ora_name_taken = 955;
constexpr int ora_no_such_table = 942;
constexpr ub4 rows_per_fetch = 2000;
// Keys are hex text of the key's bound bytes; a longer one is no key a sync can keep.
constexpr std::size_t longest_key = 4000;

std::u16string quoted() { return ora_quoted(ora_sync_digests::table_name); }

// Hex digits, as UTF-16 bytes for a text bind.
std::string utf16_bytes(const std::string& ascii) {
  std::string bytes;
  bytes.reserve(ascii.size() * 2);
  for (char c : ascii) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  return bytes;
}

std::string ascii_of(const char16_t* text, std::size_t length) {
  std::string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) out.push_back(static_cast<char>(text[i]));
  return out;
}

std::string utf16_of(const std::u16string& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

}  // namespace

ora_sync_digests::ora_sync_digests(ora_engine& engine, std::u16string table)
    : engine_(engine), table_(std::move(table)) {}

void ora_sync_digests::prepare() {
  try {
    ora_stmt create(engine_);
    create.prepare(u"CREATE TABLE " + quoted() +
                   u" (TABLE_NAME NVARCHAR2(1000) NOT NULL, KEY_TEXT VARCHAR2(4000) NOT NULL, "
                   u"DIGEST VARCHAR2(32) NOT NULL, PRIMARY KEY (TABLE_NAME, KEY_TEXT))");
    create.execute(1);
  } catch (const ora_exception& e) {
    if (e.ora_number() != ora_name_taken) throw;  // there already, from an earlier sync
  }
}

bool ora_sync_digests::exist() {
  try {
    ora_stmt probe(engine_);
    probe.prepare(u"SELECT KEY_TEXT FROM " + quoted() + u" WHERE 1 = 0");
    probe.execute(0);
    return true;
  } catch (const ora_exception& e) {
    if (e.ora_number() != ora_no_such_table) throw;
    return false;
  }
}

std::unordered_map<std::string, std::string> ora_sync_digests::read() {
  std::unordered_map<std::string, std::string> digests;
  ora_stmt query(engine_);
  query.prepare(u"SELECT KEY_TEXT, DIGEST FROM " + quoted() + u" WHERE TABLE_NAME = " + ora_unistr_literal(table_));
  std::vector<char16_t> keys(rows_per_fetch * (longest_key + 1)), sums(rows_per_fetch * 33);
  std::vector<sb2> key_nulls(rows_per_fetch), sum_nulls(rows_per_fetch);
  std::vector<ub2> key_lengths(rows_per_fetch), sum_lengths(rows_per_fetch);
  query.define(1, keys.data(), (longest_key + 1) * 2, oci::sqlt_chr, key_nulls.data(), key_lengths.data());
  query.define(2, sums.data(), 33 * 2, oci::sqlt_chr, sum_nulls.data(), sum_lengths.data());
  query.execute(0);
  for (ub4 got = rows_per_fetch; got == rows_per_fetch;) {
    got = query.fetch_rows(rows_per_fetch);
    for (ub4 row = 0; row < got; ++row)
      digests.emplace(ascii_of(&keys[row * (longest_key + 1)], key_lengths[row] / 2),
                      ascii_of(&sums[row * 33], sum_lengths[row] / 2));
  }
  kept_ = digests.size();
  return digests;
}

std::uint64_t ora_sync_digests::rows_in_table() {
  ora_stmt query(engine_);
  query.prepare(u"SELECT COUNT(*) FROM " + table_);
  char16_t text[41] = {};
  sb2 indicator = 0;
  query.define(1, text, sizeof text, oci::sqlt_str, &indicator);
  query.execute(1);
  return std::stoull(ascii_of(text, std::char_traits<char16_t>::length(text)));
}

void ora_sync_digests::put(const std::string& key, const std::string& digest) {
  if (key.size() > longest_key)
    throw tk_exception("The record's key is longer than a sync can keep (2,000 bytes)");
  put_keys_.push_back(key);
  put_digests_.push_back(digest);
}

void ora_sync_digests::remove(const std::string& key) { removed_.push_back(key); }

void ora_sync_digests::run() {
  run_puts();
  run_removes();
}

void ora_sync_digests::run_puts() {
  if (put_keys_.empty()) return;
  ora_bind_column table(0, ora_bind_column::form::text, true), key(1, ora_bind_column::form::text, false),
      digest(2, ora_bind_column::form::text, false);
  for (std::size_t i = 0; i < put_keys_.size(); ++i) {
    table.add(utf16_of(table_));
    key.add(utf16_bytes(put_keys_[i]));
    digest.add(utf16_bytes(put_digests_[i]));
  }
  ora_stmt merge(engine_);
  merge.prepare(u"MERGE INTO " + quoted() +
                u" d USING (SELECT :1 T, :2 K FROM DUAL) s ON (d.TABLE_NAME = s.T AND d.KEY_TEXT = s.K) "
                u"WHEN MATCHED THEN UPDATE SET d.DIGEST = :3 "
                u"WHEN NOT MATCHED THEN INSERT (TABLE_NAME, KEY_TEXT, DIGEST) VALUES (:1, :2, :3)");
  table.bind(merge, u":1");
  key.bind(merge, u":2");
  digest.bind(merge, u":3");
  const std::size_t rows = put_keys_.size();
  put_keys_.clear();
  put_digests_.clear();
  merge.execute(static_cast<ub4>(rows));
}

void ora_sync_digests::run_removes() {
  if (removed_.empty()) return;
  ora_bind_column table(0, ora_bind_column::form::text, true), key(1, ora_bind_column::form::text, false);
  for (const std::string& removed : removed_) {
    table.add(utf16_of(table_));
    key.add(utf16_bytes(removed));
  }
  ora_stmt erase(engine_);
  erase.prepare(u"DELETE FROM " + quoted() + u" WHERE TABLE_NAME = :1 AND KEY_TEXT = :2");
  table.bind(erase, u":1");
  key.bind(erase, u":2");
  const std::size_t rows = removed_.size();
  removed_.clear();
  erase.execute(static_cast<ub4>(rows));
}
