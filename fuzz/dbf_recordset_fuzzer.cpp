// libFuzzer target: arbitrary bytes opened as a DBF table with its memo file,
// every record and every field read as text. Damaged input may only fail
// with an error of that table (level 0); anything else - a crash, a
// sanitizer report, an error that would stop the whole run or an internal
// error - is a fault.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "dbf_fuzz_input.hpp"
#include "dbf_record.hpp"
#include "dbf_recordset.hpp"
#include "tk_exception.hpp"

namespace {

const char* const memo_extensions[] = {"fpt", "dct", "dbt", "smt"};

// A private folder on tmpfs, made once per process and removed at exit.
class scratch_folder {
 public:
  scratch_folder() {
    const char* base = std::getenv("VESPER_FUZZ_TMP");
    std::string pattern = std::string(base ? base : "/dev/shm") + "/vesper-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    path_ = pattern;
  }
  ~scratch_folder() {
    for (const char* extension : memo_extensions) ::unlink(file("t.", extension).c_str());
    ::unlink(file("t.", "dbf").c_str());
    ::rmdir(path_.c_str());
  }

  std::string file(const char* stem, const std::string& extension) const {
    return path_ + "/" + stem + extension;
  }

  void write(const std::string& name, std::string_view bytes) const {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::abort();
  }

 private:
  std::string path_;
};

std::size_t read_everything(const std::string& table_file) {
  dbf_recordset table(table_file, dbf_recordset::index_files::read, 0);
  std::size_t characters = 0;
  for (table.first(); !table.is_eof(); table.next()) {
    udb_record& record = table.get_item();
    for (std::size_t i = 0; i < record.size(); ++i) characters += record[i].to_wstring().size();
  }
  return characters;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static scratch_folder folder;
  dbf_fuzz_input input = dbf_fuzz_input::split(data, size);
  for (const char* extension : memo_extensions) ::unlink(folder.file("t.", extension).c_str());
  std::string table_file = folder.file("t.", "dbf");
  folder.write(table_file, input.table);
  // No memo bytes: no memo file, the way a table whose memo file was lost reads.
  if (!input.memo.empty()) folder.write(folder.file("t.", input.memo_extension()), input.memo);
  // VESPER_FUZZ_VERBOSE=1 prints what each input gives, to check the seeds.
  static const bool verbose = std::getenv("VESPER_FUZZ_VERBOSE") != nullptr;
  try {
    std::size_t characters = read_everything(table_file);
    if (verbose) std::fprintf(stderr, "read, %zu characters\n", characters);
  } catch (const tk_exception& e) {
    if (verbose) std::fprintf(stderr, "failed: %s (level %d)\n", e.message.c_str(), e.level);
    if (e.level != tk_exception::item_level) {
      std::fprintf(stderr, "error of level %d instead of a table's error: %s\n", e.level, e.message.c_str());
      std::abort();
    }
  }
  return 0;
}
