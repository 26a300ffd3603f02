#include "udb_schema.hpp"

#include "tk_case.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

udb_schema::udb_schema(const udb_schema& other) { *this = other; }

udb_schema& udb_schema::operator=(const udb_schema& other) {
  if (this == &other) return *this;
  fields_.clear();
  for (const auto& field : other.fields_) fields_.push_back(std::make_unique<t_ftd>(*field));
  return *this;
}

t_ftd& udb_schema::add(std::unique_ptr<t_ftd> field) {
  fields_.push_back(std::move(field));
  return *fields_.back();
}

bool udb_schema::conform_to(const udb_schema& destination) const {
  tk_log(1, "udb_schema::conform_to");
  if (size() != destination.size()) {
    tk_log(1, "Tables are not conformed: src_size=%d, dest_size=%d", size(), destination.size());
    return false;
  }
  for (std::size_t i = 0; i < size(); ++i) {
    const t_ftd& s = (*this)[i];
    const t_ftd& d = destination[i];
    if (!s.conform_to(d)) {
      tk_log(1, "Column #%d doesn't conform (src_vt=%d, src_size=%d, dest_vt=%d, dest_size=%d)",
             i + 1, s.vartype, s.size, d.vartype, d.size);
      return false;
    }
  }
  return true;
}

bool udb_schema::find_field(std::u16string_view name) const {
  tk_log(1, "udb_schema::find_field(%s)", std::u16string(name));
  for (const auto& field : fields_) {
    tk_log(1, "Processing %s", field->name);
    if (tk_loose_equal(field->name, name)) return true;
  }
  return false;
}

t_ftd& udb_schema::find_field_ftd(std::u16string_view name) {
  int at = get_field_idx(name);
  if (at < 0) TK_ASSERTION_FAILED();
  return *fields_[static_cast<std::size_t>(at)];
}

const t_ftd& udb_schema::find_field_ftd(std::u16string_view name) const {
  return const_cast<udb_schema*>(this)->find_field_ftd(name);
}

int udb_schema::get_field_idx(std::u16string_view name) const {
  tk_log(1, "udb_schema::get_field_idx(%s)", std::u16string(name));
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (tk_loose_equal(fields_[i]->name, name)) return static_cast<int>(i);
  return -1;
}
