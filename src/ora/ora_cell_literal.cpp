#include "ora_cell_literal.hpp"

#include <cstring>

#include "ora_engine.hpp"
#include "ora_number_bytes.hpp"
#include "ora_oci.hpp"
#include "ora_timestamp.hpp"
#include "tk_format.hpp"

namespace {

std::u16string date_literal(const std::string& bytes) {
  oci::date d{};
  if (bytes.size() != sizeof d) return u"NULL";
  std::memcpy(&d, bytes.data(), sizeof d);
  return tk_wformat(u"to_date('%04d-%02d-%02d %02d:%02d:%02d', 'YYYY-MM-DD HH24:MI:SS')", static_cast<int>(d.year),
                    static_cast<int>(d.month), static_cast<int>(d.day), static_cast<int>(d.hour),
                    static_cast<int>(d.minute), static_cast<int>(d.second));
}

std::u16string timestamp_literal(const std::string& bytes) {
  const std::optional<ora_timestamp> t = ora_timestamp::of(bytes);
  return t ? t->literal() : u"NULL";
}

std::u16string hex_literal(const std::string& bytes) {
  static constexpr char16_t digits[] = u"0123456789ABCDEF";
  std::u16string text = u"HEXTORAW('";
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    text += digits[b >> 4];
    text += digits[b & 0x0F];
  }
  return text + u"')";
}

}  // namespace

std::u16string ora_cell_literal::text(const ora_cell& cell) {
  std::u16string out(cell.bytes.size() / 2, u'\0');
  std::memcpy(out.data(), cell.bytes.data(), out.size() * 2);
  return out;
}

std::u16string ora_cell_literal::sql(const ora_cell& cell) {
  switch (cell.what) {
    case ora_cell::kind::number: return ora_number_bytes::to_text(cell.bytes);
    case ora_cell::kind::date: return date_literal(cell.bytes);
    case ora_cell::kind::timestamp: return timestamp_literal(cell.bytes);
    case ora_cell::kind::text: return u"'" + ora_literal_text(text(cell)) + u"'";
    case ora_cell::kind::binary: return hex_literal(cell.bytes);
    case ora_cell::kind::null: break;
  }
  return u"NULL";
}
