#include "udb_field.hpp"

#include "tk_logger.hpp"

udb_field::udb_field(std::u16string name_, std::int32_t size_, ole_variant value)
    : ole_variant(std::move(value)), name(std::move(name_)), size(size_) {
  tk_log(1, "udb_field::ctor #2");
  tk_log(1, "name=%s, size=%d", name, size);
}

udb_field::udb_field(const udb_field& other)
    : ole_variant(other), name(other.name), size(other.size) {
  tk_log(1, "udb_field::copy ctor");
}
