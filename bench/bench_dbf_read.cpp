// Decodes a generated DBF table through dbf_recordset, every field of every
// record, and reports records per second, megabytes per second and the peak
// memory of the process; then times GDAL's ogr2ogr converting the same file
// to CSV, as a peer reader.
//   bench_dbf_read [--records N] [--folder DIR] [--keep] [--no-peer]
//
// The table (Visual FoxPro, FPT memos, code page 1252) is written by a
// child process, so the peak memory reported is that of reading alone: it
// must stay the same whatever the number of records. GDAL reads the table's
// fields but not the memo texts behind its M field.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dbf_memo_writer.hpp"
#include "dbf_record.hpp"
#include "dbf_recordset.hpp"
#include "dbf_writer.hpp"
#include "tk_exception.hpp"

namespace {

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;

constexpr std::uint8_t version = 0x30;  // Visual FoxPro
constexpr std::uint8_t has_memo_flag = 0x02;
constexpr std::uint32_t memo_block_size = 64;
constexpr std::uint32_t fpt_header_size = 512;
constexpr std::uint32_t records_per_chunk = 10000;

struct options {
  std::uint32_t records = 1000000;
  fs::path folder;
  bool keep = false;
  bool peer = true;
};

// A small deterministic generator, so every run reads the same table.
class sequence {
 public:
  std::uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  std::uint32_t below(std::uint32_t n) { return next() % n; }

 private:
  std::uint64_t state_ = 42;
};

const char16_t* const names[] = {u"Müller & Söhne GmbH", u"Acme Trading Ltd", u"Café de la Gare",
                                 u"Northwind Traders", u"Örebro Textiles", u"Smith and Partners"};
const char16_t* const cities[] = {u"Berlin", u"Lyon", u"Manchester", u"Kraków", u"Porto", u"Zürich"};
const char16_t* const words[] = {u"delivery", u"invoice", u"paid late", u"customer asked for",
                                 u"discount", u"returned goods", u"see contract"};

// About 200 bytes a record: C, N, D, L, T and an M field.
dbf_writer chunk_writer() {
  dbf_writer table(version);
  table.table_flags(has_memo_flag).language_driver(0x03).end_of_file_marker(false);
  table.field(u"ID", 'N', 10).field(u"NAME", 'C', 40).field(u"CITY", 'C', 30);
  table.field(u"AMOUNT", 'N', 12, 2).field(u"QTY", 'N', 6).field(u"DUE", 'D').field(u"PAID", 'L');
  table.field(u"STAMP", 'T').field(u"NOTES", 'M').field(u"COMMENT", 'C', 60).field(u"CODE", 'C', 20);
  return table;
}

std::u16string memo_text(sequence& random) {
  std::u16string text;
  for (std::uint32_t n = random.below(40); n > 0; --n) text += std::u16string(words[random.below(7)]) + u' ';
  return text;
}

// Writes the table and its memo file chunk by chunk: each chunk's records
// are appended to the table, its memos to the memo file, with their block
// numbers moved to where the memos land.
class table_generator {
 public:
  table_generator(const fs::path& table, const fs::path& memo)
      : table_(table, std::ios::binary), memo_(memo, std::ios::binary) {}

  void write(std::uint32_t records) {
    for (std::uint32_t done = 0; done < records; done += records_per_chunk)
      write_chunk(done, std::min(records_per_chunk, records - done), records);
    table_.put('\x1A');
    finish_memo_header();
  }

 private:
  void write_chunk(std::uint32_t first, std::uint32_t count, std::uint32_t total) {
    dbf_memo_writer memos(dbf_memo_format::fpt, memo_block_size);
    dbf_writer table = chunk_writer();
    const std::uint32_t shift = memo_blocks_ - memos.first_block();
    for (std::uint32_t i = 0; i < count; ++i) table.record(cells(first + i, memos, shift));
    std::string image = table.build().table;
    std::string memo_image = memos.image();
    if (first == 0) {
      write_table_header(image, total);
      memo_.write(memo_image.data(), fpt_header_size);
    }
    std::size_t header_length = static_cast<std::uint8_t>(image[8]) | static_cast<std::uint8_t>(image[9]) << 8;
    table_.write(image.data() + header_length, static_cast<std::streamsize>(image.size() - header_length));
    memo_.write(memo_image.data() + fpt_header_size,
                static_cast<std::streamsize>(memo_image.size() - fpt_header_size));
    memo_blocks_ += static_cast<std::uint32_t>((memo_image.size() - fpt_header_size) / memo_block_size);
  }

  std::vector<dbf_cell> cells(std::uint32_t id, dbf_memo_writer& memos, std::uint32_t shift) {
    std::u16string note = memo_text(random_);
    dbf_cell memo = note.empty() ? dbf_cell::null()
                                 : dbf_cell::memo_block(memos.store(encode(note), true, {}) + shift);
    return {dbf_cell::integer(id + 1),
            dbf_cell::text(names[random_.below(6)]),
            dbf_cell::text(cities[random_.below(6)]),
            dbf_cell::number(random_.below(10000000) / 100.0),
            dbf_cell::integer(random_.below(1000)),
            dbf_cell::date(2000 + random_.below(25), 1 + random_.below(12), 1 + random_.below(28)),
            dbf_cell::boolean(random_.below(2)),
            dbf_cell::date_time(2024, 1 + random_.below(12), 1 + random_.below(28), random_.below(24),
                                random_.below(60), random_.below(60)),
            memo,
            dbf_cell::text(std::u16string(words[random_.below(7)]) + u" " + words[random_.below(7)]),
            dbf_cell::text(u"K-" + std::u16string(1, char16_t(u'A' + random_.below(26))))};
  }

  // Memo text in the table's code page (1252); the words are ASCII.
  static std::string encode(const std::u16string& text) { return std::string(text.begin(), text.end()); }

  void write_table_header(std::string& image, std::uint32_t total) {
    for (int i = 0; i < 4; ++i) image[4 + i] = static_cast<char>(total >> (8 * i) & 0xFF);
    std::size_t header_length = static_cast<std::uint8_t>(image[8]) | static_cast<std::uint8_t>(image[9]) << 8;
    table_.write(image.data(), static_cast<std::streamsize>(header_length));
  }

  // The next free block, big-endian at the start of the FPT header.
  void finish_memo_header() {
    char next[4];
    for (int i = 0; i < 4; ++i) next[i] = static_cast<char>(memo_blocks_ >> (8 * (3 - i)) & 0xFF);
    memo_.seekp(0);
    memo_.write(next, 4);
  }

  std::ofstream table_;
  std::ofstream memo_;
  sequence random_;
  std::uint32_t memo_blocks_ = fpt_header_size / memo_block_size;
};

struct decode_result {
  std::uint64_t records = 0, fields = 0, characters = 0;
  double seconds = 0;
};

decode_result decode(const fs::path& table_file) {
  decode_result result;
  auto start = clock_type::now();
  dbf_recordset table(table_file.string(), dbf_recordset::index_files::read, 0);
  for (table.first(); !table.is_eof(); table.next()) {
    udb_record& record = table.get_item();
    for (std::size_t i = 0; i < record.size(); ++i) result.characters += record[i].to_wstring().size();
    result.fields += record.size();
    ++result.records;
  }
  result.seconds = std::chrono::duration<double>(clock_type::now() - start).count();
  return result;
}

// Seconds ogr2ogr takes to write the table as CSV; negative when it fails.
double time_peer(const fs::path& folder, const fs::path& table_file) {
  fs::path csv = folder / "peer.csv";
  fs::remove(csv);
  std::string command = "ogr2ogr -f CSV '" + csv.string() + "' '" + table_file.string() + "' 2>&1";
  auto start = clock_type::now();
  int status = std::system(command.c_str());
  double seconds = std::chrono::duration<double>(clock_type::now() - start).count();
  return status == 0 ? seconds : -1;
}

long peak_rss_kb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The table is written by a child so that its memory is not counted here.
bool generate(const fs::path& table_file, const fs::path& memo_file, std::uint32_t records) {
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    try {
      table_generator(table_file, memo_file).write(records);
      _exit(0);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "generating the table failed: %s\n", e.what());
      _exit(1);
    }
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

options parse(int argc, char** argv) {
  options o;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--records") && i + 1 < argc)
      o.records = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (!std::strcmp(argv[i], "--folder") && i + 1 < argc)
      o.folder = argv[++i];
    else if (!std::strcmp(argv[i], "--keep"))
      o.keep = true;
    else if (!std::strcmp(argv[i], "--no-peer"))
      o.peer = false;
    else {
      std::fprintf(stderr, "usage: bench_dbf_read [--records N] [--folder DIR] [--keep] [--no-peer]\n");
      std::exit(2);
    }
  }
  return o;
}

fs::path make_folder(const options& o) {
  if (!o.folder.empty()) {
    fs::create_directories(o.folder);
    return o.folder;
  }
  std::string pattern = (fs::temp_directory_path() / "bench_dbf_read-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  return pattern;
}

}  // namespace

int main(int argc, char** argv) {
  options o = parse(argc, argv);
  fs::path folder = make_folder(o);
  fs::path table_file = folder / "BENCH.DBF", memo_file = folder / "BENCH.FPT";
  auto start = clock_type::now();
  if (!generate(table_file, memo_file, o.records)) return 1;
  double bytes = static_cast<double>(fs::file_size(table_file) + fs::file_size(memo_file));
  std::printf("table: %u records, %.1f MB table + %.1f MB memo in %s (written in %.1f s)\n", o.records,
              fs::file_size(table_file) / 1e6, fs::file_size(memo_file) / 1e6, folder.c_str(),
              std::chrono::duration<double>(clock_type::now() - start).count());
  int status = 0;
  try {
    decode_result r = decode(table_file);
    std::printf("vesper: %llu records, %llu fields, %llu characters in %.3f s: %.0f records/s, %.1f MB/s\n",
                static_cast<unsigned long long>(r.records), static_cast<unsigned long long>(r.fields),
                static_cast<unsigned long long>(r.characters), r.seconds, r.records / r.seconds,
                bytes / 1e6 / r.seconds);
    std::printf("vesper: peak RSS %.1f MB\n", peak_rss_kb() / 1024.0);
    if (o.peer) {
      double peer = time_peer(folder, table_file);
      if (peer < 0)
        std::printf("ogr2ogr: failed or missing (install gdal-bin)\n");
      else
        std::printf("ogr2ogr -f CSV: %.3f s: %.0f records/s; ogr2ogr time / vesper time = %.2f\n", peer,
                    r.records / peer, peer / r.seconds);
    }
  } catch (const tk_exception& e) {
    std::printf("reading failed: %s\n", e.message.c_str());
    status = 1;
  }
  if (!o.keep) fs::remove_all(folder);
  return status;
}
