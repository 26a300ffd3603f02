// The samples as a reader that shares nothing with ours sees them: GDAL's
// ogrinfo or Python's dbfread, whichever is installed. A writer that only
// agrees with our own reader could get the format wrong in the same way twice.
#include <gtest/gtest.h>

#ifdef _WIN32
TEST(SamplesReader, RunsOnLinux) { GTEST_SKIP() << "Windows: the independent readers (ogrinfo, dbfread) are Linux programs run through sh; the samples are the same files"; }
#else

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct command_result {
  int status = -1;
  std::string out;
};

command_result run(const std::string& command) {
  command_result r;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.out.append(buffer, n);
  r.status = pclose(pipe);
  return r;
}

// Single-quoted for the shell; the text holds no single quote.
std::string quoted(const std::string& text) { return "'" + text + "'"; }

// "NAME=value" lines of a reader's output, keyed by name.
std::map<std::string, std::string> pairs(const std::string& text, const std::string& separator) {
  std::map<std::string, std::string> found;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t at = line.find(separator);
    if (at == std::string::npos) continue;
    std::string name = line.substr(0, at);
    name.erase(0, name.find_first_not_of(' '));
    name = name.substr(0, name.find(' '));  // ogrinfo adds " (Integer)"
    found.emplace(name, line.substr(at + separator.size()));
  }
  return found;
}

class reader {
 public:
  virtual ~reader() = default;
  virtual std::string name() const = 0;
  // The last-update date as YYYY-MM-DD and the fields of the first record.
  virtual std::map<std::string, std::string> read(const std::string& table) const = 0;
};

class ogrinfo_reader : public reader {
 public:
  static bool installed() { return run("command -v ogrinfo").status == 0; }
  std::string name() const override { return "ogrinfo"; }
  std::map<std::string, std::string> read(const std::string& table) const override {
    auto found = pairs(run("ogrinfo -ro -al -q -fid 0 " + quoted(table)).out, " = ");
    const auto date = pairs(run("ogrinfo -ro -al -so " + quoted(table)).out, "=");
    if (date.count("DBF_DATE_LAST_UPDATE")) found["date"] = date.at("DBF_DATE_LAST_UPDATE");
    return found;
  }
};

class dbfread_reader : public reader {
 public:
  // Debian's python3-dbfread lives beside the system's python3, which a
  // python3 first on PATH (pyenv, a virtual environment) may not see.
  static std::string python() {
    for (const char* candidate : {"python3", "/usr/bin/python3"})
      if (run(std::string(candidate) + " -c 'import dbfread'").status == 0) return candidate;
    return {};
  }
  explicit dbfread_reader(std::string python) : python_(std::move(python)) {}
  std::string name() const override { return "dbfread"; }
  std::map<std::string, std::string> read(const std::string& table) const override {
    // dbfread's own date guesses the century of a two-digit year (24 and 124
    // both read as 2024), so the year byte is counted from 1900 here, as dBASE does.
    const std::string script =
        "import dbfread, sys\n"
        "t = dbfread.DBF(sys.argv[1], load=False)\n"
        "h = t.header\n"
        "print(\"date=%04d-%02d-%02d\" % (1900 + h.year, h.month, h.day))\n"
        "for k, v in next(iter(t.records)).items(): print(\"%s=%s\" % (k, v))\n";
    return pairs(run("PYTHONIOENCODING=utf-8 " + python_ + " -c " + quoted(script) + " " + quoted(table)).out, "=");
  }

 private:
  std::string python_;
};

struct sample {
  const char* file;
  const char* date;
  std::map<std::string, std::string> fields;  // text both readers print alike
};

TEST(SamplesReadByAnotherReader, LastUpdateDateAndFirstRecord) {
  std::vector<std::unique_ptr<reader>> readers;
  if (ogrinfo_reader::installed()) readers.push_back(std::make_unique<ogrinfo_reader>());
  if (const std::string python = dbfread_reader::python(); !python.empty())
    readers.push_back(std::make_unique<dbfread_reader>(python));
  if (readers.empty())
    GTEST_SKIP() << "no independent DBF reader: install gdal-bin (ogrinfo) or python3-dbfread";

  const std::vector<sample> samples = {
      {"ORDLINES.DBF", "2024-03-28", {{"ORDER_ID", "50001"}, {"LINE_NO", "1"}, {"CODE", "CF-101"}}},
      {"orders.dbf", "2024-03-28", {{"EMP_ID", "1"}, {"STATUS", "SHIPPED"}}},  // GDAL 3.6 misreads 'I' fields
      {"CUSTOMER.DBF", "2024-04-02", {{"COMPANY", "Café Lumière"}, {"CONTACT", "Amélie Durand"}}},
      {"EMPLOYEE.DBF", "2024-01-08", {{"FIRST", "Françoise"}, {"LAST", "Lefèvre"}}},
      {"SUPPLIER.DBF", "2024-02-19", {{"CITY", "Москва"}, {"NAME", "ООО \"Кофейный двор\""}}},
      {"PRODUCTS.DBF", "2024-03-28", {{"CODE", "CF-101"}, {"NAME", "Arabica beans, 1 kg"}}},
  };
  for (const auto& r : readers) {
    for (const auto& s : samples) {
      SCOPED_TRACE(r->name() + " reading " + s.file);
      const auto found = r->read(std::string(VESPER_SAMPLES) + "/" + s.file);
      EXPECT_EQ(found.count("date") ? found.at("date") : "(none)", s.date);
      for (const auto& [name, value] : s.fields)
        EXPECT_EQ(found.count(name) ? found.at(name) : "(none)", value) << name;
    }
  }
}

}  // namespace
#endif
