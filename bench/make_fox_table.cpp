// Writes a FoxPro 2.x table (version 0xF5) of N records with its FPT memo
// file (64-byte blocks), for timing whole-table passes such as the agent's
// --check against dbf_read_folder:
//   make_fox_table FOLDER [RECORDS]      (default 1,000,000 records)
// Fields: ID N(10), NAME C(40), CITY C(30), PRICE N(12,2), QTY N(6),
// ORDERED D, PAID L, NOTE C(80), MEMO M; every 10th record has a memo of a
// few hundred characters. The same arguments always give the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct field_spec {
  const char* name;
  char type;
  std::uint8_t length, decimals;
};

constexpr field_spec fields[] = {{"ID", 'N', 10, 0},   {"NAME", 'C', 40, 0}, {"CITY", 'C', 30, 0},
                                 {"PRICE", 'N', 12, 2}, {"QTY", 'N', 6, 0},   {"ORDERED", 'D', 8, 0},
                                 {"PAID", 'L', 1, 0},   {"NOTE", 'C', 80, 0}, {"MEMO", 'M', 10, 0}};
constexpr std::uint32_t block_size = 64;
constexpr std::uint32_t memo_header_size = 512;

const char* const names[] = {"Mueller & Soehne GmbH", "Acme Trading Ltd", "Cafe de la Gare", "Northwind Traders"};
const char* const cities[] = {"Berlin", "Lyon", "Manchester", "Krakow", "Porto", "Zurich"};

void put16(std::string& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

void put32(std::string& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

void put32_big(char* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(value >> (8 * (3 - i)) & 0xFF);
}

std::string header(std::uint32_t records, std::uint16_t record_length) {
  const std::size_t count = sizeof fields / sizeof fields[0];
  std::string out(32 + 32 * count + 1, '\0');
  out[0] = '\xF5';
  out[1] = 124;  // 2024-01-15
  out[2] = 1;
  out[3] = 15;
  put32(out, 4, records);
  put16(out, 8, static_cast<std::uint32_t>(out.size()));
  put16(out, 10, record_length);
  out[29] = 0x03;  // code page 1252
  for (std::size_t i = 0; i < count; ++i) {
    char* d = out.data() + 32 + 32 * i;
    std::memcpy(d, fields[i].name, std::strlen(fields[i].name));
    d[11] = fields[i].type;
    d[16] = static_cast<char>(fields[i].length);
    d[17] = static_cast<char>(fields[i].decimals);
  }
  out.back() = '\x0D';
  return out;
}

// Right-aligned for numbers, left-aligned for text, cut to the width.
std::string cell(const std::string& text, std::size_t width, bool right) {
  std::string value = text.substr(0, width);
  std::string pad(width - value.size(), ' ');
  return right ? pad + value : value + pad;
}

std::string memo_text(std::uint32_t id) {
  std::string text = "Order " + std::to_string(id) + ": ";
  while (text.size() < 300) text += "delivered late, customer asked for a discount; see contract. ";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_fox_table FOLDER [RECORDS]\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const std::uint32_t records = argc > 2 ? static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1000000;
  std::filesystem::create_directories(folder);
  std::uint16_t record_length = 1;
  for (const field_spec& f : fields) record_length = static_cast<std::uint16_t>(record_length + f.length);
  std::ofstream table(folder / "BIG.DBF", std::ios::binary);
  std::ofstream memo(folder / "BIG.FPT", std::ios::binary);
  table << header(records, record_length);
  std::string memo_head(memo_header_size, '\0');
  memo_head[6] = static_cast<char>(block_size >> 8);
  memo_head[7] = static_cast<char>(block_size & 0xFF);
  memo << memo_head;
  std::uint32_t next_block = memo_header_size / block_size;
  std::string record;
  for (std::uint32_t id = 1; id <= records; ++id) {
    std::string block_number;
    if (id % 10 == 0) {
      const std::string text = memo_text(id);
      std::string block(8 + text.size(), '\0');
      put32_big(block.data(), 1);
      put32_big(block.data() + 4, static_cast<std::uint32_t>(text.size()));
      block.replace(8, text.size(), text);
      block.resize((block.size() + block_size - 1) / block_size * block_size, '\0');
      memo << block;
      block_number = std::to_string(next_block);
      next_block += static_cast<std::uint32_t>(block.size() / block_size);
    }
    char date[9];
    std::snprintf(date, sizeof date, "%04u%02u%02u", 2000 + id % 25, 1 + id % 12, 1 + id % 28);
    char price[16];
    std::snprintf(price, sizeof price, "%.2f", (id * 7919 % 1000000) / 100.0);
    record = " " + cell(std::to_string(id), 10, true) + cell(names[id % 4], 40, false) + cell(cities[id % 6], 30, false) +
             cell(price, 12, true) + cell(std::to_string(id % 1000), 6, true) + date + (id % 2 ? "T" : "F") +
             cell("note " + std::to_string(id), 80, false) + cell(block_number, 10, true);
    table << record;
  }
  table.put('\x1A');
  char next[4];
  put32_big(next, next_block);
  memo.seekp(0);
  memo.write(next, 4);
  return table && memo ? 0 : 1;
}
