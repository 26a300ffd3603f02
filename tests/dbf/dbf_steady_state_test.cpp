// A table read record after record allocates nothing from the heap once its
// reused record has seen values as large as the ones to come: the memory a
// read takes stays flat however long the table is.
#include "dbf_test_folder.hpp"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

}  // namespace

// The process's allocations, counted while a test asks for it.
void* operator new(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// The nothrow form too (std::stable_sort's buffer takes it): the library's
// own would pair with the free() below, which AddressSanitizer reports.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}
// GCC takes free() of what these operator new return for a mismatch, not
// seeing that they are malloc's.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

TEST_F(DbfTest, ReadingRecordsAllocatesNothingOnceWarm) {
  dbf_writer table(0xF5);
  table.code_page(1252);
  table.field(u"ID", 'N', 10).field(u"NAME", 'C', 40).field(u"PRICE", 'N', 12, 2).field(u"QTY", 'N', 6);
  table.field(u"ORDERED", 'D').field(u"PAID", 'L').field(u"NOTE", 'C', 80).field(u"MEMO", 'M');
  for (int i = 0; i < 300; ++i) {
    std::u16string name = i % 3 ? u"customer " + std::u16string(std::size_t(i % 30), u'n') : u"caf\u00e9 " + std::u16string(std::size_t(i % 7), u'\u00e8');
    table.record({dbf_cell::integer(i * 7919), dbf_cell::text(name),
                  i % 11 ? dbf_cell::raw(std::string(i % 2 ? "     " : "    -") + std::to_string(1000 + i) + ".25")
                         : dbf_cell::raw("            "),
                  dbf_cell::integer(i % 500), i % 13 ? dbf_cell::date(2000 + i % 25, 1 + i % 12, 1 + i % 28) : dbf_cell::raw("        "),
                  dbf_cell::boolean(i % 2 == 0), dbf_cell::text(std::u16string(std::size_t(i % 80), u'x')),
                  i % 10 ? dbf_cell::null() : dbf_cell::text(std::u16string(std::size_t(100 + i), u'm'))});
  }
  auto t = open(table);
  long decoded = 0;
  auto read_all = [&] {
    for (t->first(); !t->is_eof(); t->next()) decoded += t->get_item()[1].get_type();
  };
  read_all();  // the reused record grows to the largest values
  allocations = 0;
  counting = true;
  read_all();
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_EQ(decoded, 2 * 300 * VT_BSTR);
}
