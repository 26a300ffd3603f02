#include "dbf_bad_file.hpp"

#include <array>
#include <vector>

#include "dbf_recordset.hpp"
#include "tk_byte_order.hpp"
#include "tk_exception.hpp"
#include "tk_file_name.hpp"
#include "tk_private_file.hpp"
#include "tk_format.hpp"

namespace {

constexpr char end_of_file = 0x1A;

[[noreturn]] void cannot_write(const std::filesystem::path& path) {
  throw tk_exception(tk_format("Cannot write the bad file %s: check that its folder exists and may be written",
                               tk_path_utf8(path)));
}

// The memo file's extension in the case of the bad file's own extension.
std::string memo_extension(const std::string& memo, const std::filesystem::path& bad) {
  std::string extension = tk_path_utf8(tk_native_path(memo).extension());
  const std::string own = tk_path_utf8(bad.extension());
  const bool lower = own.size() > 1 && own[1] >= 'a' && own[1] <= 'z';
  for (char& c : extension) c = lower ? static_cast<char>(std::tolower(c)) : static_cast<char>(std::toupper(c));
  return extension;
}

}  // namespace

dbf_bad_file::dbf_bad_file(const dbf_recordset& source, std::filesystem::path path, bool keep_earlier)
    : source_(source), path_(std::move(path)) {
  std::ifstream original(tk_native_path(source.file_name()), std::ios::binary);
  std::vector<char> header(source.header_size());
  if (!original.read(header.data(), static_cast<std::streamsize>(header.size())))
    throw tk_exception(tk_format("Cannot read the header of %s again for its bad file", source.file_name()));
  for (int k = 4; k < 8; ++k) header[static_cast<std::size_t>(k)] = 0;  // no records yet
  if (keep_earlier && open_earlier(header)) return;
  // Records are the user's data: a bad file is readable by its owner only.
  tk_create_private_file(tk_path_utf8(path_));
  tk_create_private_file(tk_path_utf8(messages_path()));
  table_.open(path_, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
  if (!table_.write(header.data(), static_cast<std::streamsize>(header.size()))) cannot_write(path_);
  messages_.open(messages_path(), std::ios::trunc);
  if (!messages_) cannot_write(messages_path());
  if (!source.memo_file_name().empty()) copy_memo_file(source.memo_file_name());
}

// The earlier file is taken only when its header is the source's (but for
// the record count) and its size holds whole records: anything else is
// replaced, as a file of another table would be.
bool dbf_bad_file::open_earlier(const std::vector<char>& header) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path_, error);
  if (error || size < header.size()) return false;
  table_.open(path_, std::ios::binary | std::ios::in | std::ios::out);
  std::vector<char> earlier(header.size());
  if (!table_.read(earlier.data(), static_cast<std::streamsize>(earlier.size()))) return reopen_failed();
  const std::uint32_t count = tk_read_le32(&earlier[4]);
  const std::uint32_t record = std::uint32_t(static_cast<unsigned char>(earlier[10])) |
                               std::uint32_t(static_cast<unsigned char>(earlier[11])) << 8;
  const std::uintmax_t records_end = header.size() + std::uintmax_t(count) * record;
  for (int k = 4; k < 8; ++k) earlier[static_cast<std::size_t>(k)] = 0;
  if (earlier != header || record == 0 || records_end > size) return reopen_failed();
  count_ = count;
  table_.seekp(static_cast<std::streamoff>(records_end));
  std::ifstream lines(messages_path());
  std::uint64_t in_file = 0, number = 0;
  std::string rest;
  while (lines >> in_file >> number && std::getline(lines, rest)) earlier_numbers_.insert(number);
  messages_.open(messages_path(), std::ios::app);
  if (!messages_) cannot_write(messages_path());
  return true;
}

bool dbf_bad_file::reopen_failed() {
  table_.close();
  table_.clear();
  return false;
}

dbf_bad_file::~dbf_bad_file() {
  table_.put(end_of_file);
  write_count();
}

std::filesystem::path dbf_bad_file::messages_path() const {
  std::filesystem::path text = path_;
  return text.replace_extension(".txt");
}

void dbf_bad_file::copy_memo_file(const std::string& memo) {
  std::filesystem::path target = path_;
  target.replace_extension(memo_extension(memo, path_));
  // Copied by hand: copy_file would give the copy the source's mode.
  tk_create_private_file(tk_path_utf8(target));
  std::ifstream from(tk_native_path(memo), std::ios::binary);
  std::ofstream to(target, std::ios::binary | std::ios::trunc);
  if (!from || !to || !(to << from.rdbuf()) || !to.flush()) cannot_write(target);
}

void dbf_bad_file::add(std::string_view record_bytes, std::uint64_t source_number, const std::string& message) {
  if (earlier_numbers_.count(source_number)) return;
  if (!table_.write(record_bytes.data(), static_cast<std::streamsize>(record_bytes.size()))) cannot_write(path_);
  ++count_;
  std::string line = message;
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  messages_ << count_ << '\t' << source_number << '\t' << line << '\n';
  messages_.flush();
  write_count();
}

// Kept current after every record, so that the file is whole even when the
// run is killed.
void dbf_bad_file::add(std::uint64_t source_number, const std::string& message) {
  add(source_.bytes_of(source_number), source_number, message);
}

void dbf_bad_file::write_count() {
  std::array<char, 4> bytes;
  tk_write_le32(count_, bytes.data());
  const auto end = table_.tellp();
  table_.seekp(4);
  table_.write(bytes.data(), bytes.size());
  table_.seekp(end);
  table_.flush();
}
