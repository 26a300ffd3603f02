#include "dbf_bad_file.hpp"

#include <array>
#include <vector>

#include "dbf_recordset.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"

namespace {

constexpr char end_of_file = 0x1A;

[[noreturn]] void cannot_write(const std::filesystem::path& path) {
  throw tk_exception(tk_format("Cannot write the bad file %s: check that its folder exists and may be written",
                               path.string()));
}

// The memo file's extension in the case of the bad file's own extension.
std::string memo_extension(const std::string& memo, const std::filesystem::path& bad) {
  std::string extension = std::filesystem::path(memo).extension().string();
  const std::string own = bad.extension().string();
  const bool lower = own.size() > 1 && own[1] >= 'a' && own[1] <= 'z';
  for (char& c : extension) c = lower ? static_cast<char>(std::tolower(c)) : static_cast<char>(std::toupper(c));
  return extension;
}

}  // namespace

dbf_bad_file::dbf_bad_file(const dbf_recordset& source, std::filesystem::path path) : path_(std::move(path)) {
  std::ifstream original(source.file_name(), std::ios::binary);
  std::vector<char> header(source.header_size());
  if (!original.read(header.data(), static_cast<std::streamsize>(header.size())))
    throw tk_exception(tk_format("Cannot read the header of %s again for its bad file", source.file_name()));
  for (int k = 4; k < 8; ++k) header[static_cast<std::size_t>(k)] = 0;  // no records yet
  table_.open(path_, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
  if (!table_.write(header.data(), static_cast<std::streamsize>(header.size()))) cannot_write(path_);
  messages_.open(messages_path(), std::ios::trunc);
  if (!messages_) cannot_write(messages_path());
  if (!source.memo_file_name().empty()) copy_memo_file(source.memo_file_name());
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
  std::error_code error;
  std::filesystem::copy_file(memo, target, std::filesystem::copy_options::overwrite_existing, error);
  if (error) cannot_write(target);
}

void dbf_bad_file::add(std::string_view record_bytes, std::uint64_t source_number, const std::string& message) {
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
void dbf_bad_file::write_count() {
  const std::array<char, 4> bytes{static_cast<char>(count_ & 0xFF), static_cast<char>(count_ >> 8 & 0xFF),
                                  static_cast<char>(count_ >> 16 & 0xFF), static_cast<char>(count_ >> 24 & 0xFF)};
  const auto end = table_.tellp();
  table_.seekp(4);
  table_.write(bytes.data(), bytes.size());
  table_.seekp(end);
  table_.flush();
}
