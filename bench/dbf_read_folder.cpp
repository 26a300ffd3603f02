// Reads every table of the given DBF folders, every record and every memo,
// and prints one line per table: what a user would get from a conversion.
// Without --quiet every value follows its table's line, one record a line,
// spelled so that two builds' outputs differ exactly where a decoded value
// (its kind, decimal scale, date parts or text) differs; with --quiet only
// the kind and text length of each value are looked at, as a conversion
// takes the values (numbers as decimals, text in UTF-16), and with --as-text
// besides every value is also turned into text, numbers and dates included.
//   dbf_read_folder [--codepage BYTE] [--log FILE] [--quiet] [--as-text] FOLDER...
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dbf_database.hpp"
#include "dbf_recordset.hpp"
#include "tk_convert.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_reporter.hpp"

namespace {

struct totals {
  int tables = 0, failed = 0;
  unsigned long long records = 0, deleted = 0, fields = 0, bytes = 0;
};

// One value as "kind:text", with what the text leaves out: a decimal's
// scale, a date's every part.
std::string spelled(const udb_field& field) {
  const VARTYPE kind = field.get_type();
  std::string text = tk_format("%d:", int(kind));
  if (kind == VT_DECIMAL) text += tk_format("s%d:", int(field.var.decVal.scale));
  if (kind == VT_DATE) {
    const SYSTEMTIME& t = field.date_value;
    text += tk_format("%d-%d-%d %d:%d:%d.%d:", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                      t.wMilliseconds);
  }
  return text + tk_utf16_to_utf8_lenient(field.to_wstring());
}

// What the conversion would see of the value, cheaply: its kind and the
// length of its text.
std::size_t touched(const udb_field& field, bool as_text) {
  if (as_text) return field.to_wstring().size() * 2;
  return field.get_type() == VT_BSTR ? field.var.bstrVal.size() * 2 : field.get_type();
}

void read_table(dbf_database& db, const std::u16string& name, totals& sum, bool quiet, bool as_text) {
  ++sum.tables;
  unsigned long long records = 0;
  std::string values;
  try {
    std::unique_ptr<udb_recordset> table = db.get_table(name, udb_access::read);
    for (table->first(); !table->is_eof(); table->next()) {
      auto& record = static_cast<dbf_record&>(table->get_item());
      if (!quiet) values += tk_format("  %llu%s", records + 1, record.deleted ? "*" : "");
      for (std::size_t i = 0; i < record.size(); ++i) {
        sum.bytes += touched(record[i], as_text);
        if (!quiet) values += tk_format(" |%d|", int(record[i].size)) + spelled(record[i]);
      }
      if (!quiet) values += "\n";
      sum.fields += record.size();
      sum.deleted += record.deleted;
      ++records;
    }
    sum.records += records;
    auto& dbf = static_cast<dbf_recordset&>(*table);
    if (!quiet)
      std::printf("ok     %-28s v=0x%02X cp=%-5d memo=%d records=%llu fields=%zu\n%s",
                  tk_to_utf8(name).c_str(), dbf.version(), dbf.get_codepage(), dbf.has_memo_file(),
                  records, dbf.schema.size(), values.c_str());
  } catch (const tk_exception& e) {
    ++sum.failed;
    sum.records += records;
    std::printf("FAILED %-28s after %llu records: %s (level %d)\n%s", tk_to_utf8(name).c_str(),
                records, e.message.c_str(), e.level, values.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::uint8_t codepage = 0;
  bool quiet = false;
  bool as_text = false;
  std::unique_ptr<tk_logger> logger;
  totals sum;
  auto start = std::chrono::steady_clock::now();
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--codepage") && i + 1 < argc) {
      codepage = static_cast<std::uint8_t>(std::strtoul(argv[++i], nullptr, 0));
      continue;
    }
    if (!std::strcmp(argv[i], "--log") && i + 1 < argc) {
      logger = std::make_unique<tk_logger>(argv[++i], true, 0, false);
      continue;
    }
    if (!std::strcmp(argv[i], "--quiet")) {
      quiet = true;
      continue;
    }
    if (!std::strcmp(argv[i], "--as-text")) {
      as_text = true;
      continue;
    }
    try {
      tk_log_reporter reporter;
      dbf_database db(tk_utf8_to_ucs2(argv[i]), codepage, reporter);
      for (const std::u16string& name : db.get_tables()) read_table(db, name, sum, quiet, as_text);
    } catch (const tk_exception& e) {
      std::printf("FOLDER %s: %s\n", argv[i], e.message.c_str());
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("tables=%d failed=%d records=%llu deleted=%llu fields=%llu seconds=%.3f\n", sum.tables,
              sum.failed, sum.records, sum.deleted, sum.fields, seconds);
  return sum.failed ? 1 : 0;
}
