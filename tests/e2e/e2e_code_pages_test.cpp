// Text arrives as the table's code page has it: the driver byte names the
// page (Asian double-byte pages too), a .cpg file beside the table overrides
// the byte, the user's --encoding overrides both, and the trace says which
// of them chose.
#include <gtest/gtest.h>

#include <fstream>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

// A table of one C field holding `bytes` as the file has them.
void write_text_table(const std::filesystem::path& folder, const std::string& file, std::uint8_t driver,
                      const std::string& bytes) {
  dbf_writer table(0x03);
  table.language_driver(driver).field(u"NAME", 'C', 20);
  table.record({dbf_cell::raw(bytes + std::string(20 - bytes.size(), ' '))});
  table.write(folder, file);
}

void write_cpg(const std::filesystem::path& folder, const std::string& file, const std::string& text) {
  std::ofstream(folder / file, std::ios::binary) << text;
}

std::string name_of(const e2e_session& session, const std::string& table) {
  return session.sql("SELECT NAME FROM " + table);
}

bool has_text(const std::string& out, const std::string& text) { return out.find(text) != std::string::npos; }

const std::string mexico_1252 = "M\xE9xico";            // é in Windows-1252
const std::string gbk_chinese = "\xB2\xE2\xCA\xD4\xD6\xD0\xCE\xC4";  // 测试中文 in GBK

TEST(E2eCodePages, DriverBytesOfEveryPublishedListDecodeTheirPages) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_text_table(folder, "GBK.DBF", 0x4D, gbk_chinese);
  write_text_table(folder, "PRC.DBF", 0x7A, gbk_chinese);
  write_text_table(folder, "SJIS.DBF", 0x13, "\x93\xFA\x96\x7B");  // 日本
  write_text_table(folder, "BIG5.DBF", 0x78, "\xB4\xFA\xB8\xD5");  // 測試
  write_text_table(folder, "HEBREW.DBF", 0x7D, "\xF9\xEC\xE5\xED");  // שלום
  write_text_table(folder, "OEM437.DBF", 0x01, "5 \xE6m");          // micro sign, not Greek mu
  write_text_table(folder, "OEM852.DBF", 0x64, "\xAA");              // not sign
  const e2e_result run = session.convert(folder);
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(name_of(session, "GBK"), "NAME\n测试中文\n");
  EXPECT_EQ(name_of(session, "PRC"), "NAME\n测试中文\n");
  EXPECT_EQ(name_of(session, "SJIS"), "NAME\n日本\n");
  EXPECT_EQ(name_of(session, "BIG5"), "NAME\n測試\n");
  EXPECT_EQ(name_of(session, "HEBREW"), "NAME\nשלום\n");
  EXPECT_EQ(name_of(session, "OEM437"), "NAME\n5 µm\n");
  EXPECT_EQ(name_of(session, "OEM852"), "NAME\n¬\n");
}

TEST(E2eCodePages, Byte57IsTheSystemsAnsiPage) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_text_table(folder, "CITIES.DBF", 0x57, mexico_1252);
  ASSERT_EQ(session.convert(folder).status, 0);
  EXPECT_EQ(name_of(session, "CITIES"), "NAME\nMéxico\n");
  // Who wants the earlier Cyrillic reading names that page as the system's.
  std::vector<std::string> args = e2e_session::login();
  args.push_back("--src=" + folder.string());
  ASSERT_EQ(session.agent(args, {{"VESPER_DEFAULT_CODEPAGE", "1251"}}).status, 0);
  EXPECT_EQ(name_of(session, "CITIES"), "NAME\nMйxico\n");
}

TEST(E2eCodePages, ACpgFileChoosesThePageAndTheUsersEncodingWins) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  // Shapefile exports: the driver byte says one page, the .cpg another.
  write_text_table(folder, "RUS.DBF", 0x57, "\xCC\xEE\xF1\xEA\xE2\xE0");  // Москва in 1251
  write_cpg(folder, "RUS.cpg", "ANSI 1251\r\n");
  write_text_table(folder, "UTF.DBF", 0x03, "M\xC3\xA9xico");
  write_cpg(folder, "UTF.CPG", "UTF-8");
  write_text_table(folder, "ISO.DBF", 0x00, mexico_1252);
  write_cpg(folder, "ISO.cpg", "88591");
  // A .cpg that names nothing known leaves the driver byte to decide, and is a warning.
  write_text_table(folder, "ODD.DBF", 0xC9, "\xCC\xE8\xF0");  // Мир in 1251
  write_cpg(folder, "ODD.cpg", "no such page\r\n");
  const std::filesystem::path log = session.root() / "trace.log";
  const e2e_result run = session.convert(folder, {"--logfile=" + log.string()});
  ASSERT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("Warning:\nodd: its code page file ODD.cpg names \"no such page\", no code page this program "
                         "reads DBF text in: the text is read in code page 1251, which the header's language driver "
                         "byte 0xC9 gives; --encoding= names the right one\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(e2e_occurrences(run.out, "Warning:"), 1u) << run.out;
  EXPECT_EQ(name_of(session, "RUS"), "NAME\nМосква\n");
  EXPECT_EQ(name_of(session, "UTF"), "NAME\nMéxico\n");
  EXPECT_EQ(name_of(session, "ISO"), "NAME\nMéxico\n");
  EXPECT_EQ(name_of(session, "ODD"), "NAME\nМир\n");
  const std::string trace = e2e_read_file(log);
  EXPECT_NE(trace.find("Code page 1251 chosen by the file "), std::string::npos);
  EXPECT_NE(trace.find("Code page 65001 chosen by the file "), std::string::npos);
  EXPECT_NE(trace.find("Code page 1251 chosen by the language driver byte 201"), std::string::npos);

  // The user's choice wins over the .cpg file.
  std::ofstream(session.root() / "one.txt") << "UTF\n";
  ASSERT_EQ(session.convert(folder, {"--tab_file=" + (session.root() / "one.txt").string(), "--encoding=1252",
                                     "--logfile=" + log.string()})
                .status,
            0);
  EXPECT_EQ(name_of(session, "UTF"), "NAME\nMÃ©xico\n");
  EXPECT_NE(e2e_read_file(log).find("Code page 1252 chosen by the user's encoding 1252"), std::string::npos);
}

TEST(E2eCodePages, EncodingTakesDriverBytesCodePageNumbersAndNames) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_text_table(folder, "RUS.DBF", 0x03, "\xCC\xE8\xF0");  // Мир in 1251, Ìèð in 1252
  for (const std::string value : {"201", "1251", "cp1251", "windows-1251", "CP1251"}) {
    const e2e_result run = session.convert(folder, {"--encoding=" + value});
    ASSERT_EQ(run.status, 0) << value << "\n" << run.describe();
    EXPECT_EQ(name_of(session, "RUS"), "NAME\nМир\n") << value;
  }
  write_text_table(folder, "RUS.DBF", 0x03, "\xD0\x9C\xD0\xB8\xD1\x80");  // Мир in UTF-8
  for (const std::string value : {"65001", "utf-8", "UTF8"}) {
    ASSERT_EQ(session.convert(folder, {"--encoding=" + value}).status, 0) << value;
    EXPECT_EQ(name_of(session, "RUS"), "NAME\nМир\n") << value;
  }
  write_text_table(folder, "RUS.DBF", 0x03, "\x8C\xA8\xE0");  // Мир in DOS 866
  ASSERT_EQ(session.convert(folder, {"--encoding=866"}).status, 0);
  EXPECT_EQ(name_of(session, "RUS"), "NAME\nМир\n");

  // The stored setting holds the same values: a code page number here.
  session.store_setting("code_page", 866);
  ASSERT_EQ(session.convert(folder).status, 0);
  EXPECT_EQ(name_of(session, "RUS"), "NAME\nМир\n");
}

}  // namespace

// The spellings GIS writers put into .cpg files (mapshaper's iconv names,
// GDAL's digits, ESRI's LDID/ driver bytes), on tables shaped as theirs:
// driver byte 0, the .cpg alone names the page.
TEST(E2eCodePages, CpgFilesSpelledAsGisWritersSpellThem) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  const std::vector<std::tuple<std::string, std::string, std::string, std::string>> tables = {
      {"B5", "Big-5", "\xB0\xEA\xBB\x79", "國語"},
      {"KR", "EUC-KR", "\xC7\xD1\xB1\xB9\xB8\xBB", "한국말"},
      {"KOI", "koi8r", "\xD2\xD5\xD3\xD3\xCB\xC9\xCA", "русский"},
      {"L2", "latin2", "\xE8\x65\xB9tina", "čeština"},
      {"SJ", "shiftjis", "\x83\x4A\x83\x5E\x83\x4A\x83\x69", "カタカナ"},
      {"TH", "885911", "\xC0\xD2\xC9\xD2\xE4\xB7\xC2", "ภาษาไทย"},
      {"TR", "ISO-8859-9", "\xDE\xFD", "Şı"},
      {"ESRI", "LDID/201", "\xCC\xE8\xF0", "Мир"},
  };
  for (const auto& [table, cpg, bytes, text] : tables) {
    write_text_table(folder, table + ".DBF", 0x00, bytes);
    write_cpg(folder, table + ".cpg", cpg);
  }
  const e2e_result run = session.convert(folder);
  ASSERT_EQ(run.status, 0) << run.describe();
  for (const auto& [table, cpg, bytes, text] : tables) EXPECT_EQ(name_of(session, table), "NAME\n" + text + "\n") << cpg;
}

// mapshaper's .cpg test tables: every page arrives as written; the UTF-16
// one, which DBF text is not read in, is a warning of its table.
TEST(E2eCodePages, RealCpgFilesOfMapshaper) {
  const std::filesystem::path corpus = e2e_paths::corpus() / "mapshaper-cp";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no shared corpus at " << corpus;
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  for (const auto& entry : std::filesystem::directory_iterator(corpus))
    std::filesystem::copy_file(entry.path(), folder / entry.path().filename());
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"BIG5", "國語"},       {"EUCKR", "한국말"},     {"KOI8R", "русский"}, {"LATIN2", "čeština"},
      {"SHIFTJIS", "カタカナひらがな"}, {"WIN1251", "РУССКИЙ"}, {"WIN874", "ภาษาไทย"},
  };
  for (const auto& [table, text] : expected) EXPECT_EQ(name_of(session, table), "NAME\n" + text + "\n") << table;
  EXPECT_NE(run.out.find("Warning:\nutf16: its code page file utf16.cpg names \"UTF-16\", no code page this program "
                         "reads DBF text in"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(e2e_occurrences(run.out, "Warning:"), 1u) << run.out;
}

// Tables that name no code page (driver byte 0, no .cpg) are read in the
// default page; text that clearly looks like another page is a warning
// naming it, and the check says what each such table's text looks like.
TEST(E2eCodePages, TextOfTablesNamingNoPageIsRecognised) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  auto write = [&](const std::string& file, int page, const std::vector<std::u16string>& values) {
    dbf_writer table(0x03);
    table.code_page(page).language_driver(0x00).field(u"NAME", 'C', 40);
    for (const std::u16string& value : values) table.record({dbf_cell::text(value)});
    table.write(folder, file);
  };
  write("DOS.DBF", 866, {u"Москва", u"Двужильного Ю. (ул.)", u"Январь", u"кнопка на выход не работает"});
  write("WIN.DBF", 1251, {u"Мінск", u"вуліца 3 Верасня", u"завулак Багдановіча", u"Гомель"});
  write("WEST.DBF", 1252, {u"Müller", u"Straße", u"Hôtel de Ville", u"garçon"});
  const e2e_result dry = session.agent({"--src=" + folder.string(), "--check"},
                                       {{"VESPER_OCI_LIB", "/nonexistent/libclntsh.so"}});
  EXPECT_TRUE(has_text(dry.out, "its text looks like code page 866 (sure: 100%, from ")) << dry.out;
  EXPECT_TRUE(has_text(dry.out, "its text looks like code page 1251 (sure: ")) << dry.out;
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_TRUE(has_text(run.out, "Warning:\ndos: its header names no code page and its text is read in code page "
                                "1252, but it looks like code page 866 (sure: 100%, from "))
      << run.out;
  EXPECT_TRUE(has_text(run.out, "--encoding=866 reads it so\n")) << run.out;
  EXPECT_TRUE(has_text(run.out, "but it looks like code page 1251 (sure: ")) << run.out;
  EXPECT_EQ(e2e_occurrences(run.out, "Warning:"), 2u) << run.out;  // none for the Western text
  // Given the page, the text arrives and nothing is said.
  std::ofstream(session.root() / "dos.txt") << "DOS\n";
  const e2e_result given =
      session.convert(folder, {"--tab_file=" + (session.root() / "dos.txt").string(), "--encoding=866"});
  EXPECT_EQ(given.status, 0) << given.describe();
  EXPECT_EQ(session.sql("SELECT COUNT(*) N FROM DOS WHERE NAME IN ('Москва', 'Январь')"), "N\n2\n");
  // --encoding=auto reads each such table in the page its text looks like,
  // and says so; the Western table stays in the default page.
  const e2e_result automatic = session.convert(folder, {"--encoding=auto"});
  EXPECT_EQ(automatic.status, 0) << automatic.describe();
  EXPECT_TRUE(has_text(automatic.out, "Table dos: --encoding=auto reads its text in code page 866, which it looks "
                                      "like (sure: 100%)\n"))
      << automatic.out;
  EXPECT_TRUE(has_text(automatic.out, "Table win: --encoding=auto reads its text in code page 1251")) << automatic.out;
  EXPECT_FALSE(has_text(automatic.out, "Table west: --encoding=auto")) << automatic.out;
  EXPECT_EQ(session.sql("SELECT COUNT(*) N FROM DOS WHERE NAME IN ('Москва', 'Январь')"), "N\n2\n");
  EXPECT_EQ(session.sql("SELECT COUNT(*) N FROM WIN WHERE NAME = 'Мінск'"), "N\n1\n");
  EXPECT_EQ(session.sql("SELECT COUNT(*) N FROM WEST WHERE NAME = 'Straße'"), "N\n1\n");
  const e2e_result checked = session.agent({"--src=" + folder.string(), "--check", "--encoding=auto"},
                                           {{"VESPER_OCI_LIB", "/nonexistent/libclntsh.so"}});
  EXPECT_TRUE(has_text(checked.out, "Code page: 866, --encoding=auto: the file's header names no code page, and its "
                                    "text looks like this one"))
      << checked.out;
}

// minigui-cyr's tables name no code page: _Ru866.dbf is DOS Cyrillic,
// _Be1251.dbf Windows Cyrillic, and Oborud-Ru1251.dbf, despite its name, DOS.
TEST(E2eCodePages, RealTablesNamingNoPageAreRecognised) {
  const std::filesystem::path corpus = e2e_paths::corpus() / "minigui-cyr";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no shared corpus at " << corpus;
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  for (const char* file : {"_Ru866.dbf", "_Be1251.dbf", "Oborud-Ru1251.dbf"})
    std::filesystem::copy_file(corpus / file, folder / file);
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_TRUE(has_text(run.out, "_ru866: its header names no code page and its text is read in code page 1252, but "
                                "it looks like code page 866"))
      << run.out;
  EXPECT_TRUE(has_text(run.out, "_be1251: its header names no code page and its text is read in code page 1252, but "
                                "it looks like code page 1251"))
      << run.out;
  EXPECT_TRUE(has_text(run.out, "oborud-ru1251: its header names no code page and its text is read in code page "
                                "1252, but it looks like code page 866"))
      << run.out;
}
