// An Oracle column type as the type-mapping customisation chooses it, and
// the catalogue of Oracle type names the target accepts.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "ole_automation.hpp"

class ora_native_type {
 public:
  // Type name -> OCI type code. Names compare exactly.
  static const std::map<std::u16string, int>& catalogue();
  static bool is_known(const std::u16string& name);
  // From a type text such as "NUMBER(12,2)", "NVARCHAR2(40)" or "CLOB".
  static ora_native_type parse(const std::u16string& text);

  // The value kind of this type: what values are converted to before they
  // are written into such a column.
  VARTYPE vartype() const;
  // The type as CREATE TABLE writes it.
  std::u16string text() const;

  std::u16string name;
  std::int32_t length = 0;
  std::int32_t scale = 0;
  std::int32_t precision = 0;
};

// The value kind of an OCI type code (described or fetched columns).
VARTYPE ora_kind_of_oci_type(int code);
