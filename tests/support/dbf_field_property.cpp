#include "dbf_field_property.hpp"

#include <stdexcept>
#include <string_view>

#include "dbf_byte_order.hpp"

namespace {

constexpr std::size_t head_size = 16;
constexpr std::size_t descriptor_size = 15;

// The field type code a property descriptor gives for a field letter.
std::uint8_t type_code(char letter) {
  constexpr std::string_view letters = "CNMLDF?GB??@O+";
  const std::size_t at = letters.find(letter);
  if (letter == 'I') return 11;
  return at == std::string_view::npos ? 0 : static_cast<std::uint8_t>(at + 1);
}

}  // namespace

std::string dbf_field_properties_block(const std::vector<dbf_field_property>& properties,
                                       const std::vector<dbf_field_definition>& fields) {
  const std::size_t data_start = head_size + properties.size() * descriptor_size;
  std::string head(head_size, '\0'), descriptors, data;
  for (const dbf_field_property& p : properties) {
    const bool constraint = p.kind == dbf_field_property::constraint;
    if (!constraint && (p.field == 0 || p.field > fields.size()))
      throw std::invalid_argument("field property of no field");
    std::string d(descriptor_size, '\0');
    dbf_put_le(d, 0, p.generation, 2);
    dbf_put_le(d, 2, p.field, 2);
    d[4] = static_cast<char>(p.kind);
    d[5] = static_cast<char>(constraint ? 0 : type_code(fields[p.field - 1].letter));
    d[6] = constraint ? 0 : 2;
    if (p.kind == dbf_field_property::required) {
      dbf_put_le(d, 13, static_cast<std::uint32_t>(fields[p.field - 1].length), 2);  // as real tables have it
    } else {
      const std::string value = constraint ? p.data + '\0' : p.data;
      dbf_put_le(d, 11, static_cast<std::uint32_t>(data_start + data.size()), 2);
      dbf_put_le(d, 13, static_cast<std::uint32_t>(value.size()), 2);
      data += value;
    }
    descriptors += d;
  }
  dbf_put_le(head, 0, static_cast<std::uint32_t>(properties.size()), 2);
  dbf_put_le(head, 2, head_size, 2);
  // No custom or referential-integrity properties: empty arrays where the data starts.
  for (std::size_t at : {6u, 10u, 12u}) dbf_put_le(head, at, static_cast<std::uint32_t>(data_start), 2);
  dbf_put_le(head, 14, static_cast<std::uint32_t>(data_start + data.size()), 2);
  return head + descriptors + data;
}
