// VARCHAR2, NVARCHAR2, CHAR and NCHAR columns, fetched as UTF-16 text.
#pragma once

#include "ora_type.hpp"

class ora_string : public ora_type {
 public:
  ora_string(ora_engine& engine, OCIParam* parameter, ub2 oci_type);
  ole_variant to_variant() override;
  void define(ora_stmt& statement, ub4 position) override;

 protected:
  // Room for `units` UTF-16 code units and the terminator.
  void reserve(std::size_t units) { buffer_.assign(units + 1, u'\0'); }
  std::u16string text() const { return std::u16string(buffer_.c_str()); }

 private:
  std::u16string buffer_;
};
