#include "dbf_writer.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <stdexcept>
#include <utility>

#include "dbf_byte_order.hpp"
#include "dbf_value_encoder.hpp"
#include "tk_file_name.hpp"

namespace {

constexpr int table_header_size = 32;
constexpr int dbase7_extra_header = 36;
constexpr int default_descriptor_size = 32;
constexpr int dbase7_descriptor_size = 48;
constexpr int visual_foxpro_backlink = 263;

// Letters whose length is one byte; the others may spill into the decimals byte.
bool has_short_length(char letter) {
  return std::string_view("BDFILNTY").find(letter) != std::string_view::npos;
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

dbf_writer::dbf_writer(std::uint8_t version) : version_(version) {}

dbf_writer& dbf_writer::field(std::u16string name, char letter, int length, int decimals, std::uint8_t flags) {
  fields_.push_back({std::move(name), letter, length, decimals, flags});
  return *this;
}

dbf_writer& dbf_writer::record(std::vector<dbf_cell> cells) {
  rows_.push_back({false, std::move(cells)});
  return *this;
}

dbf_writer& dbf_writer::deleted_record(std::vector<dbf_cell> cells) {
  rows_.push_back({true, std::move(cells)});
  return *this;
}

dbf_writer& dbf_writer::table_flags(std::uint8_t flags) {
  table_flags_ = flags;
  return *this;
}

dbf_writer& dbf_writer::language_driver(std::uint8_t driver) {
  language_driver_ = driver;
  return *this;
}

dbf_writer& dbf_writer::code_page(int code_page) {
  code_page_ = code_page;
  return *this;
}

dbf_writer& dbf_writer::update_date(int year, int month, int day) {
  // The header's year byte counts from 1900.
  if (year < 1900 || year > 1900 + 255) throw std::invalid_argument("update year outside 1900..2155");
  year_ = year;
  month_ = month;
  day_ = day;
  return *this;
}

dbf_writer& dbf_writer::memo_format(dbf_memo_format format) {
  memo_format_ = format;
  return *this;
}

dbf_writer& dbf_writer::block_size(std::uint32_t size) {
  block_size_ = size;
  return *this;
}

dbf_writer& dbf_writer::memo_file_name(std::string name) {
  memo_file_name_ = std::move(name);
  return *this;
}

dbf_writer& dbf_writer::end_of_file_marker(bool on) {
  end_of_file_marker_ = on;
  return *this;
}

dbf_writer& dbf_writer::damage(const dbf_damage& damage) {
  damage_ = damage;
  return *this;
}

dbf_writer& dbf_writer::patch(std::size_t offset, std::string bytes) {
  patches_.emplace_back(offset, std::move(bytes));
  return *this;
}

int dbf_writer::code_page_of(std::uint8_t driver) {
  // 0x57 is the system's ANSI page, Windows-1252 where the tests run.
  static const std::map<std::uint8_t, int> pages = {
      {0x01, 437},  {0x02, 850},  {0x03, 1252}, {0x04, 10000}, {0x26, 866},   {0x57, 1252},
      {0x64, 852},  {0x65, 866},  {0x66, 865},  {0x67, 861},   {0x68, 895},   {0x69, 620},
      {0x6A, 737},  {0x6B, 857},  {0x7E, 1256}, {0x96, 10007}, {0x97, 10029}, {0x98, 10006},
      {0xC8, 1250}, {0xC9, 1251}, {0xCA, 1254}, {0xCB, 1253}};
  const auto found = pages.find(driver);
  return found == pages.end() ? 0 : found->second;
}

bool dbf_writer::is_visual_foxpro() const { return version_ >= 0x30 && version_ <= 0x32; }

bool dbf_writer::is_dbase7() const { return version_ == 0x04 || version_ == 0x8C; }

dbf_memo_format dbf_writer::resolved_memo_format() const {
  if (memo_format_ != dbf_memo_format::automatic) return memo_format_;
  if (is_visual_foxpro()) return (table_flags_ & 0x02) ? dbf_memo_format::fpt : dbf_memo_format::none;
  switch (version_) {
    case 0x7B: case 0x8B: case 0x8C: case 0xCB: case 0xEB: return dbf_memo_format::dbase4;
    case 0x83: return dbf_memo_format::dbase3;
    case 0xE5: return dbf_memo_format::smt;
    case 0xF5: return dbf_memo_format::fpt;
    default: return dbf_memo_format::none;
  }
}

std::string dbf_writer::memo_extension() const {
  switch (resolved_memo_format()) {
    case dbf_memo_format::fpt: return (is_visual_foxpro() && (table_flags_ & 0x04)) ? "dct" : "fpt";
    case dbf_memo_format::dbase4:
    case dbf_memo_format::dbase3: return "dbt";
    case dbf_memo_format::smt: return "smt";
    default: return "";
  }
}

int dbf_writer::usual_length_of(char letter) const {
  switch (letter) {
    case 'L': return 1;
    case 'I': case '+': return 4;
    case 'D': case 'T': case 'B': case 'Y': case 'O': case '@': return 8;
    case 'N': return 10;
    case 'F': return 20;
    case 'M': case 'G': case 'P':
      return (is_visual_foxpro() && resolved_memo_format() == dbf_memo_format::fpt) ? 4 : 10;
    default: return 10;
  }
}

std::vector<dbf_field_definition> dbf_writer::resolved_fields() const {
  std::vector<dbf_field_definition> fields = fields_;
  for (auto& field : fields) {
    if (field.length == usual_length) field.length = usual_length_of(field.letter);
    const bool spills = field.length > 255;
    if (field.length < 0 || field.length > 0xFFFF || field.decimals < 0 || field.decimals > 255 ||
        (spills && (field.decimals != 0 || has_short_length(field.letter))))
      throw std::invalid_argument("field length or decimals out of range");
  }
  return fields;
}

std::string dbf_writer::header(const std::vector<dbf_field_definition>& fields, int record_length) const {
  std::string out(is_dbase7() ? table_header_size + dbase7_extra_header : table_header_size, '\0');
  out += descriptors(fields);
  if (out.size() > 0xFFFF) throw std::invalid_argument("header longer than 65535 bytes");
  out[0] = static_cast<char>(version_);
  out[1] = static_cast<char>(year_ - 1900);
  out[2] = static_cast<char>(month_);
  out[3] = static_cast<char>(day_);
  const auto count = static_cast<std::int32_t>(rows_.size());
  dbf_put_le(out, 4, static_cast<std::uint32_t>(damage_.record_count.value_or(count)), 4);
  dbf_put_le(out, 8, damage_.header_length.value_or(static_cast<std::uint16_t>(out.size())), 2);
  dbf_put_le(out, 10, damage_.record_length.value_or(static_cast<std::uint16_t>(record_length)), 2);
  out[28] = static_cast<char>(table_flags_);
  out[29] = static_cast<char>(language_driver_);
  return out;
}

dbf_writer& dbf_writer::container(std::string path) {
  if (path.size() >= visual_foxpro_backlink) throw std::invalid_argument("container path too long");
  container_ = std::move(path);
  return *this;
}

dbf_writer& dbf_writer::field_property(dbf_field_property property) {
  if (!is_dbase7()) throw std::invalid_argument("field properties need a dBASE 7 table");
  properties_.push_back(std::move(property));
  return *this;
}

std::string dbf_writer::descriptors(const std::vector<dbf_field_definition>& fields) const {
  std::string out;
  int offset = 1;
  for (const auto& field : fields) {
    out += descriptor(field, offset);
    offset += field.length;
  }
  if (!damage_.no_descriptor_terminator) out += '\x0D';
  if (is_visual_foxpro()) out += container_ + std::string(visual_foxpro_backlink - container_.size(), '\0');
  if (is_dbase7() && !properties_.empty()) out += dbf_field_properties_block(properties_, fields);
  return out;
}

std::string dbf_writer::descriptor(const dbf_field_definition& field, int offset) const {
  const int cp = code_page_.value_or(code_page_of(language_driver_));
  const std::string name = dbf_value_encoder(cp, dbf_block_style::digits, nullptr).encode_text(field.name);
  const bool wide = is_dbase7();
  const std::size_t name_room = wide ? 32 : 11;
  if (name.size() > name_room) throw std::invalid_argument("field name too long");
  std::string out(wide ? dbase7_descriptor_size : default_descriptor_size, '\0');
  out.replace(0, name.size(), name);
  out[wide ? 32 : 11] = field.letter;
  const std::size_t size_at = wide ? 33 : 16;  // length, then decimals
  const bool spills = field.length > 255;
  out[size_at] = static_cast<char>(field.length & 0xFF);
  out[size_at + 1] = static_cast<char>(spills ? field.length >> 8 : field.decimals);
  if (!wide && is_visual_foxpro()) {
    dbf_put_le(out, 12, static_cast<std::uint32_t>(offset), 4);
    out[18] = static_cast<char>(field.flags);
  }
  return out;
}

std::string dbf_writer::records(const std::vector<dbf_field_definition>& fields, dbf_memo_writer* memo) const {
  dbf_block_style style = dbf_block_style::digits;
  if (resolved_memo_format() == dbf_memo_format::smt) style = dbf_block_style::smt;
  else if (resolved_memo_format() == dbf_memo_format::fpt && is_visual_foxpro()) style = dbf_block_style::binary;
  const dbf_value_encoder encoder(code_page_.value_or(code_page_of(language_driver_)), style, memo);
  std::string out;
  for (const auto& row : rows_) {
    if (row.cells.size() != fields.size()) throw std::invalid_argument("record has the wrong number of cells");
    out += row.deleted ? '*' : ' ';
    for (std::size_t i = 0; i < fields.size(); ++i) out += encoder.encode(fields[i], row.cells[i]);
  }
  return out;
}

dbf_image dbf_writer::build() const {
  const std::vector<dbf_field_definition> fields = resolved_fields();
  int record_length = 1;
  for (const auto& field : fields) record_length += field.length;
  if (record_length > 0xFFFF) throw std::invalid_argument("record longer than 65535 bytes");

  const dbf_memo_format format = resolved_memo_format();
  std::optional<dbf_memo_writer> memo;
  if (format != dbf_memo_format::none) {
    const std::uint32_t usual_block = format == dbf_memo_format::fpt ? 64 : format == dbf_memo_format::smt ? 32 : 512;
    memo.emplace(format, block_size_.value_or(usual_block));
  }
  const std::string body = records(fields, memo ? &*memo : nullptr);
  dbf_image image;
  image.table = header(fields, record_length) + body;
  if (end_of_file_marker_) image.table += '\x1A';
  for (const auto& [offset, bytes] : patches_) {
    if (offset + bytes.size() > image.table.size()) throw std::invalid_argument("patch past the end of the table");
    image.table.replace(offset, bytes.size(), bytes);
  }
  if (damage_.table_size) image.table.resize(static_cast<std::size_t>(*damage_.table_size), '\0');
  if (memo && !damage_.drop_memo_file) {
    image.memo = memo->image(damage_.memo);
    image.memo_extension = memo_extension();
  }
  return image;
}

std::filesystem::path dbf_writer::write(const std::filesystem::path& folder, const std::string& file_name) const {
  const dbf_image image = build();
  const std::filesystem::path table = folder / tk_native_path(file_name);
  write_file(table, image.table);
  if (image.has_memo()) {
    std::string memo_name = memo_file_name_;
    if (memo_name.empty()) {
      const std::string extension = table.extension().string();
      const bool upper = std::any_of(extension.begin(), extension.end(), [](unsigned char c) { return std::isupper(c); });
      std::string memo_extension = image.memo_extension;
      if (upper) std::transform(memo_extension.begin(), memo_extension.end(), memo_extension.begin(), ::toupper);
      memo_name = tk_path_utf8(table.stem()) + "." + memo_extension;
    }
    write_file(folder / tk_native_path(memo_name), image.memo);
  }
  return table;
}
