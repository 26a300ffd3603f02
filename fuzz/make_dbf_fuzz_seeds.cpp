// Writes the seed corpus of the DBF fuzz target: tables of every version
// byte and memo layout written by dbf_writer, well-formed and damaged, each
// joined with its memo file in the fuzz input layout. Tables found under
// the further folders given (any depth, with their memo files) are joined
// into seeds too.
//   make_dbf_fuzz_seeds FOLDER [TABLE_FOLDER...]
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dbf_fuzz_input.hpp"
#include "dbf_writer.hpp"

namespace {

const std::uint8_t versions[] = {0x02, 0x03, 0x04, 0x30, 0x31, 0x32, 0x43, 0x63, 0x7B,
                                 0x83, 0x8B, 0x8C, 0xCB, 0xE5, 0xEB, 0xF5, 0xFB};

bool is_visual_foxpro(std::uint8_t v) { return v >= 0x30 && v <= 0x32; }
bool is_dbase7(std::uint8_t v) { return v == 0x04 || v == 0x8C; }

// The letters a table of this version carries, with a value of record i.
struct column {
  const char16_t* name;
  char letter;
};

std::vector<column> columns_of(std::uint8_t version) {
  std::vector<column> columns = {{u"NAME", 'C'}, {u"AMOUNT", 'N'}, {u"RATE", 'F'},
                                 {u"DUE", 'D'},  {u"PAID", 'L'},   {u"NOTES", 'M'}};
  if (is_visual_foxpro(version))
    columns.insert(columns.end(), {{u"QTY", 'I'}, {u"PRICE", 'Y'}, {u"STAMP", 'T'},
                                   {u"WEIGHT", 'B'}, {u"PHOTO", 'G'}});
  if (is_dbase7(version)) columns.insert(columns.end(), {{u"ID", '+'}, {u"SCORE", 'O'}, {u"SEEN", '@'}});
  return columns;
}

dbf_cell cell_of(char letter, int i) {
  switch (letter) {
    case 'C': return dbf_cell::text(i ? u"Société Générale" : u"Ромашка");
    case 'N': return dbf_cell::number(1234.5 * (i + 1));
    case 'F': return dbf_cell::number(-0.25 * i);
    case 'D': return dbf_cell::date(2023, 12, 31 - i);
    case 'L': return dbf_cell::boolean(i % 2);
    case 'M':
      return i == 1 ? dbf_cell::text(std::u16string(700, u'x') + u" end") : dbf_cell::text(u"short note");
    case 'I': case '+': return dbf_cell::integer(-7 + i);
    case 'Y': return dbf_cell::currency(123456789 + i);
    case 'T': return dbf_cell::date_time(2024, 2, 29, 23, 59, 59, 999);
    case 'B': case 'O': return dbf_cell::number(3.14159 * i);
    case 'G': return dbf_cell::memo(std::string("\x01\x00\xFF", 3));
    default: return dbf_cell::null();
  }
}

dbf_writer table_of(std::uint8_t version, std::uint8_t flags, int records) {
  dbf_writer table(version);
  table.table_flags(flags).language_driver(version == 0x03 ? 0x65 : 0x03);
  std::vector<column> columns;
  for (const column& c : columns_of(version))
    if (table.resolved_memo_format() != dbf_memo_format::none || (c.letter != 'M' && c.letter != 'G'))
      columns.push_back(c);
  for (const column& c : columns) table.field(c.name, c.letter, c.letter == 'C' ? 24 : dbf_writer::usual_length);
  for (int i = 0; i < records; ++i) {
    std::vector<dbf_cell> cells;
    for (const column& c : columns) cells.push_back(cell_of(c.letter, i));
    if (i == 2)
      table.deleted_record(cells);
    else
      table.record(cells);
  }
  return table;
}

class seed_folder {
 public:
  explicit seed_folder(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::filesystem::create_directories(folder_);
  }

  void add(const std::string& name, const dbf_writer& table) {
    dbf_image image = table.build();
    add(name, image.table, image.memo);
  }
  void add(const std::string& name, std::string_view table, std::string_view memo) {
    std::ofstream(folder_ / name, std::ios::binary) << dbf_fuzz_input::join(table, memo);
    ++count_;
  }
  int count() const { return count_; }

 private:
  std::filesystem::path folder_;
  int count_ = 0;
};

std::string hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x", value);
  return text;
}

void add_versions(seed_folder& seeds) {
  for (std::uint8_t version : versions) {
    std::uint8_t flags = is_visual_foxpro(version) ? 0x02 : 0;
    seeds.add("v" + hex(version), table_of(version, flags, 3));
    seeds.add("v" + hex(version) + "-empty", table_of(version, flags, 0));
  }
  seeds.add("v30-dct", table_of(0x30, 0x06, 3));
  seeds.add("v30-nomemo", table_of(0x30, 0x00, 3));
  for (std::uint32_t size : {1u, 32u, 512u}) {
    dbf_writer table = table_of(0xF5, 0, 3);
    seeds.add("vf5-block" + std::to_string(size), table.block_size(size));
  }
}

void add_damaged(seed_folder& seeds) {
  struct variant {
    const char* name;
    dbf_damage damage;
  };
  std::vector<variant> variants(9);
  variants[0] = {"short", {}};
  variants[0].damage.table_size = 200;
  variants[1] = {"count", {}};
  variants[1].damage.record_count = 1000;
  variants[2] = {"header", {}};
  variants[2].damage.header_length = 33;
  variants[3] = {"reclen", {}};
  variants[3].damage.record_length = 5;
  variants[4] = {"noterm", {}};
  variants[4].damage.no_descriptor_terminator = true;
  variants[5] = {"memofile", {}};
  variants[5].damage.drop_memo_file = true;
  variants[6] = {"zeroblock", {}};
  variants[6].damage.memo.block_size_in_header = 0;
  variants[7] = {"nonext", {}};
  variants[7].damage.memo.next_block_in_header = 0;
  variants[8] = {"memocut", {}};
  variants[8].damage.memo.file_size = 600;
  for (std::uint8_t version : {0x30, 0x83, 0x8B, 0xE5, 0xF5, 0x8C}) {
    std::uint8_t flags = is_visual_foxpro(version) ? 0x02 : 0;
    for (const variant& v : variants)
      seeds.add("v" + hex(version) + "-" + v.name, table_of(version, flags, 3).damage(v.damage));
    // Memo references past the end of the file and lengths past its end.
    dbf_writer table(version);
    table.table_flags(flags).field(u"ID", 'N', 4).field(u"NOTE", 'M');
    table.record({dbf_cell::integer(1), dbf_cell::memo_block(100000)});
    table.record({dbf_cell::integer(2), dbf_cell::text(u"cut").with_stored_length(1u << 30)});
    table.record({dbf_cell::integer(3), dbf_cell::memo("abc").with_stored_length(5)});
    seeds.add("v" + hex(version) + "-memorefs", table);
  }
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Larger tables would only be cut by the fuzzer's input size limit.
constexpr std::uintmax_t largest_table = 1 << 20;

void add_tables_under(seed_folder& seeds, const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  int number = 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file() || lower(entry.path().extension().string()) != ".dbf") continue;
    if (entry.file_size() > largest_table) continue;
    std::string table = contents(entry.path());
    std::string extension = "." + dbf_fuzz_input{table, {}}.memo_extension();
    std::string memo;
    for (const fs::directory_entry& sibling : fs::directory_iterator(entry.path().parent_path()))
      if (lower(sibling.path().stem().string()) == lower(entry.path().stem().string()) &&
          lower(sibling.path().extension().string()) == extension && sibling.file_size() <= largest_table)
        memo = contents(sibling.path());
    seeds.add("table" + std::to_string(++number), table, memo);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_dbf_fuzz_seeds FOLDER [TABLE_FOLDER...]\n");
    return 2;
  }
  seed_folder seeds(argv[1]);
  add_versions(seeds);
  add_damaged(seeds);
  for (int i = 2; i < argc; ++i) add_tables_under(seeds, argv[i]);
  std::printf("%d seeds written to %s\n", seeds.count(), argv[1]);
  return 0;
}
