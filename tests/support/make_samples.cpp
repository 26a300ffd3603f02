// Writes the demo folder: a small trading company's tables in the mix of
// formats a real DBF folder has grown over the years.
//
//   CUSTOMER.DBF + CUSTOMER.FPT   Visual FoxPro, Windows-1252
//   orders.dbf + orders.fpt       Visual FoxPro, Windows-1252
//   ORDLINES.DBF                  dBASE III, no memo, U.S. MS-DOS
//   PRODUCTS.DBF + PRODUCTS.DBT   dBASE III with memo (one memo over 4000 characters)
//   SUPPLIER.DBF + SUPPLIER.FPT   FoxPro 2, 866 DOS Russian
//   EMPLOYEE.DBF + EMPLOYEE.DBT   dBASE IV with memo, International MS-DOS (850)
//
// Usage: make_samples <folder>. The output depends on nothing but this file:
// the same bytes every time, so the committed folder can be checked against it.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "dbf_writer.hpp"

namespace {

struct date {
  int year, month, day;
};

dbf_cell text(const std::u16string& value) { return dbf_cell::text(value); }
dbf_cell day_of(const date& d) { return dbf_cell::date(d.year, d.month, d.day); }
dbf_cell money(std::int64_t cents) { return dbf_cell::number(static_cast<double>(cents) / 100.0); }
dbf_cell currency_cents(std::int64_t cents) { return dbf_cell::currency(cents * 100); }

// ---- products and their suppliers -------------------------------------------

struct product {
  const char16_t* code;
  const char16_t* name;
  const char16_t* category;
  int supplier;
  std::int64_t price_cents;
  int stock;
  double weight_kg;
  bool discontinued;
  date added;
  const char16_t* description;
};

const char16_t* const espresso_code = u"EM-900";

const product products[] = {
    {u"CF-101", u"Arabica beans, 1 kg", u"Coffee", 1, 1890, 240, 1.050, false, {2019, 3, 4},
     u"Single-origin arabica from the Sul de Minas region, medium roast."},
    {u"CF-102", u"Robusta blend, 1 kg", u"Coffee", 1, 1450, 180, 1.050, false, {2019, 3, 4}, u""},
    {u"TE-201", u"Green tea Sencha, 250 g", u"Tea", 2, 790, 95, 0.280, false, {2020, 6, 15},
     u"Steamed Japanese green tea. Brew at 75 C for two minutes."},
    {u"TE-202", u"Earl Grey, 500 g", u"Tea", 2, 1120, 0, 0.540, true, {2018, 11, 2},
     u"Replaced by TE-205 from the 2023 catalogue."},
    {u"TE-205", u"Earl Grey Supreme, 500 g", u"Tea", 2, 1290, 60, 0.540, false, {2023, 1, 9}, u""},
    {u"CU-310", u"Porcelain cup 180 ml", u"Tableware", 3, 430, 1200, 0.210, false, {2021, 2, 1}, u""},
    {u"CU-311", u"Saucer for CU-310", u"Tableware", 3, 250, 1150, 0.150, false, {2021, 2, 1}, u""},
    {u"GR-400", u"Burr grinder, manual", u"Equipment", 4, 6400, 18, 0.780, false, {2022, 8, 30},
     u"Ceramic conical burrs, 18 grind settings."},
    {espresso_code, u"Espresso machine EM-900", u"Equipment", 4, 289000, 3, 38.500, false, {2023, 5, 22},
     nullptr},  // the long service sheet below
    {u"SY-501", u"Vanilla syrup, 0.7 l", u"Syrup", 5, 680, 75, 0.950, false, {2020, 10, 12}, u""},
};

// A service and technical data sheet well over 4000 characters.
std::u16string espresso_service_sheet() {
  static const char16_t* const sections[][2] = {
      {u"General", u"The EM-900 is a two-group commercial espresso machine for cafes serving up to 400 "
                   u"cups a day. Each group has its own boiler and PID temperature control, so two "
                   u"different coffees can be brewed side by side at their ideal temperatures."},
      {u"Installation", u"Install on a level counter able to carry 60 kg. Leave 10 cm free behind the "
                        u"machine for ventilation. Connect to a softened cold-water supply (1.5 to 4 bar) "
                        u"and to a drain. The machine needs a dedicated 400 V three-phase circuit with a "
                        u"16 A breaker; a qualified electrician must make the connection."},
      {u"First start", u"Open the water tap, switch on the main switch and wait until the steam boiler "
                       u"reaches 1.2 bar (about 25 minutes). Flush each group for 30 seconds before the "
                       u"first extraction. Discard the first three shots."},
      {u"Daily cleaning", u"At closing time backflush each group with the blind filter and one dose of "
                          u"cleaning powder: five cycles of ten seconds, then five cycles with clean water. "
                          u"Soak the portafilters and baskets overnight. Purge and wipe the steam wands "
                          u"after every use."},
      {u"Weekly maintenance", u"Remove and clean the shower screens and gaskets. Check the water filter "
                              u"pressure gauge. Empty and rinse the drip tray and drain box."},
      {u"Service intervals", u"Replace group gaskets and shower screens every six months or 20,000 "
                             u"shots. Replace the water softener cartridge as the water report requires. "
                             u"Have the safety valves and boilers inspected once a year."},
      {u"Troubleshooting", u"No steam pressure: check the boiler level probe and the heating element "
                           u"fuse. Slow extraction: grind coarser or clean the shower screen. Water under "
                           u"the machine: check the drain hose and the drip tray seal."},
  };
  std::u16string sheet = u"EM-900 SERVICE AND TECHNICAL DATA SHEET\r\n\r\n";
  int number = 1;
  for (const auto& section : sections) {
    sheet += std::u16string(1, char16_t(u'0' + number++)) + u". " + section[0] + u"\r\n" + section[1] + u"\r\n\r\n";
  }
  // The parts list a technician checks at each service.
  static const char16_t* const parts[] = {u"group gasket 8.5 mm", u"shower screen 60 mm", u"steam wand tip, 4 holes",
                                          u"boiler safety valve 1.8 bar", u"level probe", u"solenoid valve 3-way",
                                          u"pump motor 165 W", u"pressure switch", u"heating element 3000 W",
                                          u"drain hose 1.5 m"};
  sheet += u"8. Spare parts\r\n";
  for (int round = 1; round <= 4; ++round) {
    int item = 1;
    for (const char16_t* part : parts) {
      std::u16string line = u"   Kit ";
      line += char16_t(u'0' + round);
      line += u", item ";
      if (item >= 10) line += char16_t(u'0' + item / 10);
      line += char16_t(u'0' + item % 10);
      line += u": ";
      line += part;
      line += u" - check, clean, replace when worn\r\n";
      sheet += line;
      ++item;
    }
  }
  return sheet;
}

void write_products(const std::filesystem::path& folder) {
  // dBASE III has no language driver byte: the text is plain ASCII, written
  // as the DOS machines that kept this table did.
  dbf_writer table(0x83);
  table.code_page(437).update_date(2024, 3, 28);
  table.field(u"CODE", 'C', 8).field(u"NAME", 'C', 30).field(u"CATEGORY", 'C', 15).field(u"SUPP_ID", 'N', 4);
  table.field(u"PRICE", 'N', 10, 2).field(u"STOCK", 'N', 6).field(u"WEIGHT_KG", 'N', 7, 3);
  table.field(u"DISCONT", 'L').field(u"ADDED", 'D').field(u"DESCRIPT", 'M');
  for (const auto& p : products) {
    const std::u16string description = p.description ? p.description : espresso_service_sheet();
    table.record({text(p.code), text(p.name), text(p.category), dbf_cell::integer(p.supplier), money(p.price_cents),
                  dbf_cell::integer(p.stock), dbf_cell::number(p.weight_kg), dbf_cell::boolean(p.discontinued),
                  day_of(p.added), text(description)});
  }
  table.write(folder, "PRODUCTS.DBF");
}

void write_suppliers(const std::filesystem::path& folder) {
  struct supplier {
    int id;
    const char16_t* name;
    const char16_t* city;
    const char16_t* contact;
    const char16_t* phone;
    double rating;
    date since;
    bool preferred;
    const char16_t* terms;
  };
  static const supplier suppliers[] = {
      {1, u"ООО \"Кофейный двор\"", u"Москва", u"Иванов Пётр Сергеевич", u"+7 495 123-45-67", 4.5, {2015, 2, 10}, true,
       u"Оплата в течение 30 дней. Скидка 3% при заказе от 100 кг."},
      {2, u"АО \"Чайная линия\"", u"Санкт-Петербург", u"Смирнова Ольга", u"+7 812 555-01-02", 4.0, {2016, 9, 1}, true,
       u"Предоплата 50%, остаток при отгрузке. Договор № 17/2016."},
      {3, u"ЗАО \"Фарфор Урала\"", u"Екатеринбург", u"Кузнецов А. В.", u"+7 343 210-33-44", 3.5, {2018, 4, 23}, false,
       u""},
      {4, u"ООО \"Техника для кафе\"", u"Казань", u"Гарипова Лейла", u"+7 843 777-88-99", 4.8, {2019, 7, 15}, true,
       u"Гарантийное обслуживание 24 месяца. Выезд инженера за счёт поставщика."},
      {5, u"ИП Соколов Д. Н.", u"Новосибирск", u"Соколов Дмитрий", u"+7 383 300-20-10", 3.0, {2020, 10, 5}, false,
       u"Только самовывоз со склада."},
  };
  dbf_writer table(0xF5);
  table.language_driver(0x26).update_date(2024, 2, 19).block_size(64);
  table.field(u"SUPP_ID", 'N', 4).field(u"NAME", 'C', 30).field(u"CITY", 'C', 20).field(u"CONTACT", 'C', 25);
  table.field(u"PHONE", 'C', 16).field(u"RATING", 'N', 3, 1).field(u"SINCE", 'D').field(u"PREFERRED", 'L');
  table.field(u"TERMS", 'M');
  for (const auto& s : suppliers) {
    table.record({dbf_cell::integer(s.id), text(s.name), text(s.city), text(s.contact), text(s.phone),
                  dbf_cell::number(s.rating), day_of(s.since), dbf_cell::boolean(s.preferred), text(s.terms)});
  }
  table.write(folder, "SUPPLIER.DBF");
}

// ---- customers, employees, orders and their lines ---------------------------

void write_customers(const std::filesystem::path& folder) {
  struct customer {
    int id;
    const char16_t* company;
    const char16_t* contact;
    const char16_t* city;
    const char16_t* country;
    const char16_t* phone;
    date since;
    std::int64_t credit;
    bool active;
    const char16_t* notes;
    bool deleted;
  };
  static const customer customers[] = {
      {1001, u"Café Lumière", u"Amélie Durand", u"Lyon", u"France", u"+33 4 72 10 20 30", {2016, 5, 12}, 15000, true,
       u"Prefers delivery before 9:00. Ring the side door.", false},
      {1002, u"Kaffeehaus Müller GmbH", u"Jürgen Müller", u"München", u"Germany", u"+49 89 1234567", {2017, 1, 30}, 25000,
       true, u"", false},
      {1003, u"Bar do Zé", u"José Araújo", u"Porto", u"Portugal", u"+351 22 600 1122", {2018, 7, 3}, 5000, true,
       u"Pays by bank transfer only.", false},
      {1004, u"The Daily Grind", u"Sarah O'Neill", u"Dublin", u"Ireland", u"+353 1 555 0101", {2018, 9, 17}, 10000, true,
       u"", false},
      {1005, u"Konditorei Schön", u"Grete Schön", u"Wien", u"Austria", u"+43 1 402 33 44", {2019, 2, 26}, 8000, false,
       u"Closed for renovation until further notice.", false},
      {1006, u"Espresso Fiorentino", u"Niccolò Bianchi", u"Firenze", u"Italy", u"+39 055 123 456", {2019, 11, 8}, 12000,
       true, u"", false},
      {1007, u"Kaffeehaus Müller GmbH", u"Jürgen Müller", u"München", u"Germany", u"+49 89 1234567", {2020, 3, 2}, 0,
       false, u"Duplicate of 1002, entered twice.", true},
      {1008, u"Kaffebaren Åsa", u"Åsa Lindqvist", u"Göteborg", u"Sweden", u"+46 31 711 22 33", {2020, 6, 19}, 9000, true,
       u"", false},
      {1009, u"Cafetería La Peña", u"Íñigo Martínez", u"Bilbao", u"Spain", u"+34 944 15 16 17", {2021, 4, 1}, 7000, true,
       u"Orders every second Monday.", false},
      {1010, u"Brasserie Øresund", u"Søren Kjær", u"København", u"Denmark", u"+45 33 12 34 56", {2022, 10, 14}, 11000,
       true, u"", false},
      {1011, u"Tea & Toast Ltd", u"Priya Shah", u"Leeds", u"United Kingdom", u"+44 113 496 0000", {2023, 1, 23}, 6000,
       true, u"New customer: first three orders prepaid.", false},
  };
  dbf_writer table(0x30);
  table.table_flags(0x02).language_driver(0x03).update_date(2024, 4, 2).block_size(64);
  table.field(u"CUST_ID", 'I').field(u"COMPANY", 'C', 40).field(u"CONTACT", 'C', 30).field(u"CITY", 'C', 20);
  table.field(u"COUNTRY", 'C', 15).field(u"PHONE", 'C', 18).field(u"SINCE", 'D').field(u"CREDIT", 'Y');
  table.field(u"ACTIVE", 'L').field(u"NOTES", 'M');
  for (const auto& c : customers) {
    std::vector<dbf_cell> cells = {dbf_cell::integer(c.id), text(c.company), text(c.contact), text(c.city),
                                   text(c.country), text(c.phone), day_of(c.since), dbf_cell::integer(c.credit),
                                   dbf_cell::boolean(c.active), text(c.notes)};
    if (c.deleted) table.deleted_record(std::move(cells));
    else table.record(std::move(cells));
  }
  table.write(folder, "CUSTOMER.DBF");
}

void write_employees(const std::filesystem::path& folder) {
  struct employee {
    int id;
    const char16_t* first;
    const char16_t* last;
    const char16_t* title;
    date hired;
    std::int64_t salary_cents;
    const char16_t* region;
    bool active;
    const char16_t* bio;
  };
  static const employee employees[] = {
      {1, u"Françoise", u"Lefèvre", u"Sales manager", {2012, 4, 2}, 520000, u"West", true,
       u"Joined from a wine importer; speaks French, German and Spanish."},
      {2, u"José", u"Núñez", u"Sales representative", {2016, 9, 19}, 385050, u"South", true, u""},
      {3, u"Björn", u"Åkesson", u"Sales representative", {2019, 1, 7}, 371000, u"North", true,
       u"Covers the Nordic countries and the Baltics."},
      {4, u"Zoë", u"Brontë", u"Customer service", {2021, 6, 1}, 298000, u"Office", false, u"On parental leave in 2024."},
  };
  dbf_writer table(0x8B);
  table.language_driver(0x02).update_date(2024, 1, 8);
  table.field(u"EMP_ID", 'N', 4).field(u"FIRST", 'C', 15).field(u"LAST", 'C', 20).field(u"TITLE", 'C', 25);
  table.field(u"HIRED", 'D').field(u"SALARY", 'N', 9, 2).field(u"REGION", 'C', 10).field(u"ACTIVE", 'L');
  table.field(u"BIO", 'M');
  for (const auto& e : employees) {
    table.record({dbf_cell::integer(e.id), text(e.first), text(e.last), text(e.title), day_of(e.hired),
                  money(e.salary_cents), text(e.region), dbf_cell::boolean(e.active), text(e.bio)});
  }
  table.write(folder, "EMPLOYEE.DBF");
}

struct order {
  int id;
  int customer;
  int employee;
  date placed;
  int hour, minute, second;
  date shipped;  // year 0: not shipped yet
  const char16_t* status;
  std::int64_t freight_cents;
  bool paid;
  const char16_t* remarks;
};

const order orders[] = {
    {50001, 1001, 1, {2024, 1, 3}, 9, 15, 0, {2024, 1, 5}, u"SHIPPED", 1250, true, u""},
    {50002, 1002, 1, {2024, 1, 4}, 14, 2, 37, {2024, 1, 8}, u"SHIPPED", 1800, true, u"Deliver to the back entrance."},
    {50003, 1003, 2, {2024, 1, 9}, 11, 48, 5, {2024, 1, 12}, u"SHIPPED", 2200, true, u""},
    {50004, 1004, 3, {2024, 1, 15}, 16, 30, 0, {2024, 1, 17}, u"SHIPPED", 1500, false, u"Invoice sent twice; second copy void."},
    {50005, 1006, 2, {2024, 1, 22}, 8, 5, 12, {2024, 1, 24}, u"SHIPPED", 2000, true, u""},
    {50006, 1008, 3, {2024, 2, 1}, 10, 0, 0, {2024, 2, 6}, u"SHIPPED", 3100, true, u""},
    {50007, 1009, 2, {2024, 2, 5}, 13, 21, 44, {2024, 2, 7}, u"SHIPPED", 1900, true, u"Customer collected part of the goods."},
    {50008, 1001, 1, {2024, 2, 12}, 9, 40, 0, {2024, 2, 13}, u"SHIPPED", 1250, true, u""},
    {50009, 1010, 3, {2024, 2, 20}, 15, 55, 10, {2024, 2, 23}, u"SHIPPED", 2800, false, u""},
    {50010, 1011, 4, {2024, 3, 1}, 12, 0, 0, {2024, 3, 4}, u"SHIPPED", 1600, true, u"Prepaid (new customer)."},
    {50011, 1002, 1, {2024, 3, 7}, 17, 45, 30, {0, 0, 0}, u"BACKORDER", 1800, false,
     u"Earl Grey TE-202 sold out; customer agreed to wait for TE-205."},
    {50012, 1006, 2, {2024, 3, 14}, 10, 10, 10, {2024, 3, 15}, u"SHIPPED", 2000, true, u""},
    {50013, 1003, 2, {2024, 3, 21}, 11, 30, 0, {0, 0, 0}, u"OPEN", 2200, false, u""},
    {50014, 1004, 3, {2024, 3, 28}, 23, 59, 59, {0, 0, 0}, u"OPEN", 1500, false, u"Placed through the web shop at midnight."},
};

struct line {
  int order_id;
  int number;
  const char16_t* code;
  int quantity;
  std::int64_t price_cents;
  int discount_percent;
};

// Each order buys a few products picked by its number, so the lines are
// varied but always the same.
std::vector<line> order_lines() {
  std::vector<line> lines;
  const int product_count = static_cast<int>(std::size(products));
  for (const auto& o : orders) {
    const int count = 1 + o.id % 4;
    for (int n = 1; n <= count; ++n) {
      const product& p = products[(o.id * 7 + n * 3) % product_count];
      const int quantity = p.code == espresso_code ? 1 : 2 + (o.id + n * 5) % 11;
      const int discount = (o.id % 5 == 0) ? 5 : 0;
      lines.push_back({o.id, n, p.code, quantity, p.price_cents, discount});
    }
  }
  return lines;
}

std::int64_t line_total_cents(const line& l) {
  const std::int64_t gross = l.price_cents * l.quantity;
  return gross - (gross * l.discount_percent + 50) / 100;
}

void write_order_lines(const std::filesystem::path& folder, const std::vector<line>& lines) {
  dbf_writer table(0x03);
  table.language_driver(0x01).update_date(2024, 3, 28);
  table.field(u"ORDER_ID", 'N', 8).field(u"LINE_NO", 'N', 3).field(u"CODE", 'C', 8).field(u"QTY", 'N', 7, 2);
  table.field(u"PRICE", 'N', 10, 2).field(u"DISC_PCT", 'N', 5, 2);
  for (const auto& l : lines) {
    table.record({dbf_cell::integer(l.order_id), dbf_cell::integer(l.number), text(l.code),
                  dbf_cell::integer(l.quantity), money(l.price_cents), dbf_cell::integer(l.discount_percent)});
  }
  // A line keyed in by mistake and deleted, still in the file as dBASE leaves it.
  table.deleted_record({dbf_cell::integer(50003), dbf_cell::integer(9), text(u"CU-311"), dbf_cell::integer(40),
                        money(250), dbf_cell::integer(0)});
  table.write(folder, "ORDLINES.DBF");
}

void write_orders(const std::filesystem::path& folder, const std::vector<line>& lines) {
  dbf_writer table(0x30);
  table.table_flags(0x02).language_driver(0x03).update_date(2024, 3, 28).block_size(32);
  table.field(u"ORDER_ID", 'I').field(u"CUST_ID", 'I').field(u"EMP_ID", 'N', 4).field(u"PLACED", 'T');
  table.field(u"SHIPPED", 'D').field(u"STATUS", 'C', 10).field(u"FREIGHT", 'Y').field(u"TOTAL", 'N', 12, 2);
  table.field(u"PAID", 'L').field(u"REMARKS", 'M');
  for (const auto& o : orders) {
    std::int64_t total = o.freight_cents;
    for (const auto& l : lines)
      if (l.order_id == o.id) total += line_total_cents(l);
    const dbf_cell shipped = o.shipped.year ? day_of(o.shipped) : dbf_cell::null();
    table.record({dbf_cell::integer(o.id), dbf_cell::integer(o.customer), dbf_cell::integer(o.employee),
                  dbf_cell::date_time(o.placed.year, o.placed.month, o.placed.day, o.hour, o.minute, o.second),
                  shipped, text(o.status), currency_cents(o.freight_cents), money(total),
                  dbf_cell::boolean(o.paid), text(o.remarks)});
  }
  table.write(folder, "orders.dbf");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples <folder>\n");
    return 2;
  }
  try {
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::vector<line> lines = order_lines();
    write_customers(folder);
    write_orders(folder, lines);
    write_order_lines(folder, lines);
    write_products(folder);
    write_suppliers(folder);
    write_employees(folder);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_samples: %s\n", error.what());
    return 1;
  }
}
